// What the long maintenance commands (the transfer and the check) tell the progress window.
#pragma once

namespace zelt::transfer {

class Progress {
public:
    virtual ~Progress() = default;
    // The number of steps to come; the position goes back to 0.
    virtual void setMaximum(int maximum) = 0;
    // One record done: the position advances by one.
    virtual void step() = 0;
};

}  // namespace zelt::transfer

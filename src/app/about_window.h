// The About window (TForm4): the system's title, the commission it serves, the owner line from the
// region file Region.vrk, links to the developer, and the hidden way into the Administrator window.
#pragma once

#include "app/form/form_model.h"
#include "app/ui_services.h"

#include <filesystem>
#include <string>

namespace zelt::app {

class AboutWindow {
public:
    static constexpr const char* kForm = "TForm4";
    static constexpr const char* kImage = "Image1";
    // The small grey ":  " whose double click opens the Administrator window.
    static constexpr const char* kAdminLabel = "Label14";
    static constexpr const char* kOwnerLabel = "TForm4.Label7";
    static constexpr const char* kMailLabel = "TForm4.Label10";
    static constexpr const char* kSiteLabel = "TForm4.Label11";
    static constexpr const char* kForumLabel = "TForm4.Label12";
    static constexpr const char* kRegionFile = "Region.vrk";
    static constexpr const char* kOwnerDesignText = "Заместитель председателя комиссии";
    static constexpr long kLinkColour = 0xFF0000;   // blue in 0x00BBGGRR
    static constexpr long kHoverColour = 0x0000FF;  // red
    static constexpr long kGreyColour = 0x808080;

    // Adds the window's controls under the Form control TForm4, which must already be in `model`,
    // and registers their handlers. Reads nothing yet.
    AboutWindow(FormModel& model, UiServices& ui, const std::filesystem::path& dataDir);

    // The window's creation: creates Region.vrk empty when missing and shows its first line as the
    // owner line (empty for an empty file). A file that cannot be created or read leaves the design
    // text. Never fails.
    void formCreate();

    // The address a link label opens, "" for any other control.
    static std::string linkOf(const std::string& label);

private:
    FormModel& model_;
    UiServices& ui_;
    std::filesystem::path dataDir_;
};

}  // namespace zelt::app

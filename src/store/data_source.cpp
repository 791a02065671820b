#include "store/data_source.h"

#include <algorithm>

namespace zelt::store {

DataSource::~DataSource() {
    const std::vector<DataLink*> links = std::move(links_);
    for (DataLink* l : links) l->sourceDestroyed();
}

void DataSource::setEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    notify();
}

void DataSource::addLink(DataLink* link) { links_.push_back(link); }

void DataSource::removeLink(DataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

void DataSource::notifyUpdateRecord() {
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->updateRecord();
}

void DataSource::notifyCancelled() {
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->recordCancelled();
}

void DataSource::notify() {
    // A link may detach itself while being told; iterate over a copy.
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->sourceChanged();
}

}  // namespace zelt::store

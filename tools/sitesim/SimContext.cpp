#include "sitesim/SimContext.h"

QString SimContext::PublishedVersion() const {
    std::lock_guard lock(mutex_);
    return publishedVersion_;
}

void SimContext::SetPublishedVersion(const QString& version) {
    std::lock_guard lock(mutex_);
    publishedVersion_ = version;
}

VersionFileMode SimContext::VersionFile() const {
    std::lock_guard lock(mutex_);
    return versionFile_;
}

void SimContext::SetVersionFile(VersionFileMode mode) {
    std::lock_guard lock(mutex_);
    versionFile_ = mode;
}

QString SimContext::MediaFault() const {
    std::lock_guard lock(mutex_);
    return mediaFault_;
}

void SimContext::SetMediaFault(const QString& fault) {
    std::lock_guard lock(mutex_);
    mediaFault_ = fault;
}

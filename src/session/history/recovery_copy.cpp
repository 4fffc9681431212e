#include "session/history/recovery_copy.h"

#include <filesystem>
#include <fstream>

#include "io/file_replace.h"
#include "io/project_file.h"
#include "session/project.h"

namespace vortlan {

namespace {

namespace fs = std::filesystem;

bool readsWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    Workspace probe;
    return decodeProject(file, probe).status == ProjectRead::Complete;
}

void setAside(const std::string& folder, Port& port) {
    const fs::path aside = fs::path(folder) / kSetAsideFileName;
    std::error_code failed;
    fs::rename(recoveryPath(folder), aside, failed);
    if (failed) fs::remove(recoveryPath(folder), failed);
    port.message("The unsaved work of the last session could not be read; its copy was set aside as " +
                 aside.string());
}

}  // namespace

std::string recoveryPath(const std::string& folder) {
    return (fs::path(folder) / kRecoveryFileName).string();
}

bool recoveryCopyExists(const std::string& folder) {
    std::error_code failed;
    return fs::is_regular_file(recoveryPath(folder), failed);
}

RecoveryWriter::RecoveryWriter(std::string folder) : folder_(std::move(folder)) {
    std::error_code failed;
    fs::create_directories(folder_, failed);  // a failure shows as copies not written, never as a fault
    worker_ = std::thread([this] { run(); });
}

RecoveryWriter::~RecoveryWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void RecoveryWriter::write(std::unique_ptr<const Workspace> copy) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(copy);
    }
    changed_.notify_all();
}

void RecoveryWriter::remove() {
    std::unique_lock lock(mutex_);
    pending_.reset();
    changed_.wait(lock, [this] { return !writing_; });
    discardRecoveryCopy(folder_);
}

void RecoveryWriter::waitUntilWritten() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ && !writing_; });
}

void RecoveryWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_) return;
        const std::unique_ptr<const Workspace> copy = std::move(pending_);
        writing_ = true;
        lock.unlock();
        replaceFile(recoveryPath(folder_), encodeProject(*copy));
        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

bool restoreRecoveryCopy(Session& session, const std::string& folder) {
    const std::string path = recoveryPath(folder);
    if (!readsWhole(path)) {
        setAside(folder, session.port);
        return false;
    }
    session.workspace.fileName = path;
    const bool opened = openProject(session);
    session.workspace.fileName.clear();
    return opened;
}

void discardRecoveryCopy(const std::string& folder) {
    std::error_code failed;
    fs::remove(recoveryPath(folder), failed);
}

}  // namespace vortlan

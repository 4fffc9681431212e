#pragma once
// The recovery copy: after every change the workspace is written, in the project file format, to a
// folder of the user's own (never the working folder), so that work is not lost when the program ends
// without saving.  The writing happens on a worker thread from a copy taken by the caller; a save or a
// discard removes the copy, and its presence at the next start means the program ended without either.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "session/session.h"

namespace vortlan {

inline constexpr const char* kRecoveryFileName = "recovery.xps";
// Where a copy that cannot be read is put, so that it is neither offered again nor lost.
inline constexpr const char* kSetAsideFileName = "recovery-unreadable.xps";

std::string recoveryPath(const std::string& folder);
bool recoveryCopyExists(const std::string& folder);

class RecoveryWriter {
  public:
    // The folder is created when missing.
    explicit RecoveryWriter(std::string folder);
    // A write asked for is finished first: ending the program never loses the last copy.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    // Writes this copy of the workspace in the background; a copy still waiting is replaced by it.
    void write(std::unique_ptr<const Workspace> copy);
    // Drops a copy still waiting, waits for a write under way, then deletes the file.
    void remove();
    // Returns once every copy asked for has been written.
    void waitUntilWritten();

    const std::string& folder() const { return folder_; }

  private:
    void run();

    std::string folder_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<const Workspace> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

// Replaces the workspace by the recovery copy in `folder` and shows it as an opened project.  A copy
// that cannot be read whole is renamed to kSetAsideFileName beside it and reported; false then.
bool restoreRecoveryCopy(Session& session, const std::string& folder);

// Deletes the copy, as after a save or when the user declines to restore it.
void discardRecoveryCopy(const std::string& folder);

}  // namespace vortlan

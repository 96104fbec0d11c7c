#pragma once

#include <sys/types.h>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <vector>

namespace quenlark {

// Notices what other programs change in the files the window shows. Host
// files are watched, so that a change is seen at once; a disk image is not,
// since an emulator writes to it all the time: its state is compared when
// the window asks. Either way a file's state (and its folder's, which
// changes when a file in it is made, replaced or removed) is compared with
// the state the window last looked at.
class OutsideChanges : public QObject {
    Q_OBJECT
  public:
    explicit OutsideChanges(QObject* parent);

    // Follows the host files `files` and the disk image `image`; their state
    // now is the one looked at.
    void follow(std::vector<std::filesystem::path> files,
                std::optional<std::filesystem::path> image);
    void stop();

    // Whether anything followed has changed since it was last looked at.
    bool changedSinceLooked() const;
    // What is there now is what the window shows.
    void lookedAt();

  signals:
    // A watched file or folder changed; a burst of changes, such as a copy
    // written in pieces, gives one signal once it has settled.
    void changed();

  private:
    struct FileState {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modified = 0;  // nanoseconds
        long long changed = 0;

        friend bool operator==(const FileState&, const FileState&) = default;
    };

    std::vector<std::filesystem::path> followed() const;
    std::vector<FileState> states() const;
    void watchWhatIsThere();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::vector<std::filesystem::path> files_;
    std::optional<std::filesystem::path> image_;
    std::vector<FileState> looked_;
};

}  // namespace quenlark

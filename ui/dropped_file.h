#pragma once

#include <QString>

class QMimeData;

namespace quenlark {

// What a drop from a file manager brings: one file, or why it cannot be
// used (several files, a folder, something that is no file here).
struct DroppedFile {
    QString path;     // the host path, when it can be used
    QString problem;  // a sentence for the user, when it cannot
};

// Whether a drag carries files or links, so that it may be dropped: what it
// holds is told at the drop, with the reason when it cannot be used.
bool offersFiles(const QMimeData& mime);

DroppedFile droppedFile(const QMimeData& mime);

}  // namespace quenlark

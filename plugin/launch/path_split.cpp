#include "plugin/launch/path_split.h"

#include <algorithm>

PathParts CutToBuffers(PathParts whole) {
    whole.drive.resize(std::min(whole.drive.size(), MaxDriveLength));
    for (std::wstring* part : {&whole.directory, &whole.fileName, &whole.extension}) {
        part->resize(std::min(part->size(), MaxPathPartLength));
    }
    return whole;
}

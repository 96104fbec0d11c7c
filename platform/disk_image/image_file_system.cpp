#include "image_file_system.h"

#include <cctype>
#include <fstream>
#include <system_error>

#include "atomic_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// A replaced file is first written under this name beside it, then moved over
// it, so that the old file's clusters are never overwritten in place.
constexpr char kTemporaryName[] = "~QNKNEW.TMP";
// A copy into or out of the image is held whole in memory on its way, so it
// is bounded: far above any logo (129,078 bytes) or backup, far below what
// would burden the machine.
constexpr std::uint64_t kLargestCopy = 8 * 1024 * 1024;
// A line is read from a small text file; more than this is no settings file.
constexpr std::uint64_t kLineFileLimit = 16 * 1024 * 1024;

FatPath parentOf(const FatPath& path) {
    return FatPath(path.begin(), path.end() - (path.empty() ? 0 : 1));
}

FatPath child(FatPath folder, const std::string& name) {
    folder.push_back(name);
    return folder;
}

std::string tooLargeToCopy(const std::string& file) {
    return "The file " + file + " is larger than " + std::to_string(kLargestCopy / (1024 * 1024)) +
           " MiB, more than Quenlark copies to or from a disk image.";
}

std::string firstLineOf(const std::string& content) {
    return content.substr(0, content.find_first_of("\r\n"));
}

}  // namespace

ImageFileSystem::ImageFileSystem(DiskImage& image, DriveMap hostDrives,
                                 std::string currentDirectory)
    : image_(image), host_(std::move(hostDrives), "Z:\\") {
    currentDirectory_ = currentDirectory.empty() ? HostFileSystem(host_.drives()).currentDirectory()
                                                 : std::move(currentDirectory);
}

bool ImageFileSystem::fail(std::string sentence) {
    lastFailure_ = std::move(sentence);
    return false;
}

std::optional<WindowsPath> ImageFileSystem::resolve(const std::string& path) {
    if (path.empty()) {
        fail("No file was named.");
        return std::nullopt;
    }
    auto parsed = parseWindowsPath(path, currentDirectory_);
    if (!parsed) {
        fail("The path " + path + " names no drive.");
        return std::nullopt;
    }
    if (onImage(*parsed)) {
        for (const auto& name : parsed->names) {
            if (!isLiteralFatName(name)) {
                fail("The name " + name +
                     " cannot be used on a disk image: it holds * ? [ or ], which mtools reads "
                     "as a pattern.");
                return std::nullopt;
            }
        }
    }
    return parsed;
}

bool ImageFileSystem::onImage(const WindowsPath& path) const {
    return path.drive == image_.driveLetter();
}

ImageFileSystem::Lookup ImageFileSystem::lookUp(const FatPath& path) {
    if (path.empty())
        return {true, FatEntry{"", "", true, 0}, std::nullopt};
    auto entries = image_.list(parentOf(path));
    if (!entries) {
        if (image_.listingFoundNoFolder())
            return {true, std::nullopt, std::nullopt};
        fail(image_.listingFailure());
        return {};
    }
    const FatEntry* entry = findFatEntry(*entries, path.back());
    std::optional<FatEntry> found;
    if (entry)
        found = *entry;
    return {true, std::move(found), std::move(entries)};
}

bool ImageFileSystem::isFolder(const FatPath& path) {
    const auto found = lookUp(path);
    return found.found && found.entry && found.entry->folder;
}

std::optional<std::string> ImageFileSystem::readImageFile(const FatPath& path,
                                                          std::uint64_t maxBytes) {
    const auto found = lookUp(path);
    if (!found.found)
        return std::nullopt;
    if (!found.entry || found.entry->folder) {
        fail("There is no file " + mtoolsPath(path).substr(2) + " on the disk image.");
        return std::nullopt;
    }
    if (found.entry->size > maxBytes) {
        fail(maxBytes == kLargestCopy
                 ? tooLargeToCopy(mtoolsPath(path).substr(2) + " on the disk image")
                 : "The file " + mtoolsPath(path).substr(2) + " on the disk image is too large.");
        return std::nullopt;
    }
    MtoolsVolume* volume = image_.reader();
    auto content = volume ? volume->read(path, found.entry->size) : std::nullopt;
    if (!content)
        fail(volume ? volume->failure() : image_.failure());
    return content;
}

std::optional<std::string> ImageFileSystem::readAnyFile(const WindowsPath& path,
                                                        std::uint64_t maxBytes) {
    if (onImage(path))
        return readImageFile(path.names, maxBytes);
    auto content = host_.readFile(path.text(), maxBytes);
    if (!content)
        failOnHost("The file " + path.text() + " cannot be read.");
    return content;
}

bool ImageFileSystem::writeImageFile(const FatPath& path, const std::string& content) {
    const std::string shown = mtoolsPath(path).substr(2);
    if (path.empty())
        return fail("The root of the disk image is a folder, not a file.");
    const FatPath parent = parentOf(path);
    if (!isFolder(parent))
        return lastFailure_.empty()
                   ? fail("The folder of " + shown + " does not exist on the disk image.")
                   : false;
    const auto existing = lookUp(path);
    if (!existing.found)
        return false;
    if (existing.entry && existing.entry->folder)
        return fail(shown + " is a folder on the disk image.");

    std::error_code ec;
    fs::create_directories(image_.scratchFolder(), ec);
    const fs::path staged = image_.scratchFolder() / "staged";
    if (!writeFileAtomically(staged, content))
        return fail("The file for the disk image could not be prepared in " +
                    image_.scratchFolder().string() + ".");

    // An existing file keeps the name the disk gives it.
    const FatPath target = existing.entry ? child(parent, existing.entry->name) : path;
    const bool changed = image_.change([&](MtoolsVolume& volume, std::string& failure) {
        std::optional<FatAttributes> kept;
        if (existing.entry) {
            kept = volume.attributes(target);
            if (!kept)
                return false;
            // Left by someone else's change: this name is ours. The folder is
            // as it was listed, since the change starts from the image.
            const FatPath temporary = child(parent, kTemporaryName);
            if (existing.siblings && findFatEntry(*existing.siblings, kTemporaryName) &&
                !volume.remove(temporary))
                return false;
            if (!volume.put(staged, temporary) || !volume.replace(temporary, target))
                return false;
            if (*kept != kNewFileAttributes && !volume.setAttributes(target, *kept))
                return false;
        } else if (!volume.put(staged, target)) {
            return false;
        }
        const auto written = volume.read(target, content.size());
        if (!written)
            return false;
        if (*written != content) {
            failure = "The file " + shown +
                      " read back from the disk image differs from what was written, so "
                      "nothing was changed.";
            return false;
        }
        if (kept && volume.attributes(target) != kept) {
            failure = "The attributes of " + shown + " could not be kept, so nothing was changed.";
            return false;
        }
        return true;
    });
    std::error_code removeError;
    fs::remove(staged, removeError);
    return changed || fail(image_.failure());
}

bool ImageFileSystem::writeHostFile(const WindowsPath& path, const std::string& content) {
    const auto host = host_.hostPath(path.text());
    std::error_code ec;
    std::string why;
    if (!host || fs::is_directory(*host, ec) || !writeFileAtomically(*host, content, &why))
        return fail(why.empty() ? "The file " + path.text() + " cannot be written." : why);
    return true;
}

bool ImageFileSystem::failOnHost(const std::string& otherwise) {
    const std::string why = host_.lastFailure();
    return fail(why.empty() ? otherwise : why);
}

bool ImageFileSystem::copyFile(const std::string& from, const std::string& to) {
    lastFailure_.clear();
    const auto source = resolve(from);
    const auto destination = resolve(to);
    if (!source || !destination)
        return false;
    if (!onImage(*source) && !onImage(*destination))
        return host_.copyFile(source->text(), destination->text()) ||
               failOnHost("The file " + from + " cannot be copied to " + to + ".");
    const auto length =
        onImage(*source) ? std::optional<std::uint64_t>() : host_.fileLength(source->text());
    if (length && *length > kLargestCopy)
        return fail(tooLargeToCopy(from));
    const auto content = readAnyFile(*source, kLargestCopy);
    if (!content)
        return false;
    return onImage(*destination) ? writeImageFile(destination->names, *content)
                                 : writeHostFile(*destination, *content);
}

bool ImageFileSystem::fileExists(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed))
        return host_.fileExists(parsed->text());
    const auto found = lookUp(parsed->names);
    return found.entry && !found.entry->folder;
}

bool ImageFileSystem::deleteFile(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed))
        return host_.deleteFile(parsed->text()) || fail("The file " + path + " cannot be deleted.");
    const auto found = lookUp(parsed->names);
    if (!found.found)
        return false;
    if (!found.entry || found.entry->folder)
        return fail("There is no file " + path + " to delete.");
    const FatPath parent = parentOf(parsed->names);
    const FatPath target = child(parent, found.entry->name);
    return image_.change([&](MtoolsVolume& volume, std::string& failure) {
        if (!volume.remove(target))
            return false;
        const auto entries = volume.list(parent);
        if (entries && findFatEntry(*entries, found.entry->name)) {
            failure = "The file " + path + " is still on the disk image after deleting it.";
            return false;
        }
        return entries.has_value();
    }) || fail(image_.failure());
}

std::optional<std::uint64_t> ImageFileSystem::fileLength(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return std::nullopt;
    if (!onImage(*parsed))
        return host_.fileLength(parsed->text());
    const auto found = lookUp(parsed->names);
    if (!found.entry || found.entry->folder)
        return std::nullopt;
    return found.entry->size;
}

bool ImageFileSystem::createFolder(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed))
        return host_.createFolder(parsed->text()) ||
               fail("The folder " + path + " cannot be created.");
    const FatPath& folder = parsed->names;
    if (folder.empty() || !isFolder(parentOf(folder)))
        return fail("The folder " + path + " cannot be created: its parent does not exist.");
    const auto found = lookUp(folder);
    if (!found.found)
        return false;
    if (found.entry)
        return fail("The folder " + path + " exists already.");
    return image_.change([&](MtoolsVolume& volume, std::string& failure) {
        if (!volume.makeFolder(folder))
            return false;
        const auto entries = volume.list(parentOf(folder));
        const FatEntry* made = entries ? findFatEntry(*entries, folder.back()) : nullptr;
        if (entries && (!made || !made->folder)) {
            failure = "The folder " + path + " is not on the disk image after making it.";
            return false;
        }
        return entries.has_value();
    }) || fail(image_.failure());
}

bool ImageFileSystem::writeLine(const std::string& path, const std::string& line) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed))
        return host_.writeLine(parsed->text(), line) ||
               fail("The file " + path + " cannot be written.");
    return writeImageFile(parsed->names, line + "\r\n");
}

bool ImageFileSystem::writeEmptyFile(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed))
        return host_.writeEmptyFile(parsed->text()) ||
               fail("The file " + path + " cannot be written.");
    return writeImageFile(parsed->names, {});
}

std::optional<std::string> ImageFileSystem::readFirstLine(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return std::nullopt;
    if (!onImage(*parsed))
        return host_.readFirstLine(parsed->text());
    const auto content = readImageFile(parsed->names, kLineFileLimit);
    if (!content || content->empty())
        return std::nullopt;
    return firstLineOf(*content);
}

std::optional<std::string> ImageFileSystem::readFile(const std::string& path,
                                                     std::uint64_t maxBytes) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return std::nullopt;
    return readAnyFile(*parsed, maxBytes);
}

std::optional<std::string> ImageFileSystem::whyCannotChange(const std::string& path) {
    const auto parsed = parseWindowsPath(path, currentDirectory_);
    if (!parsed)
        return std::nullopt;
    if (onImage(*parsed))
        return image_.whyReadOnly();
    return host_.whyCannotChange(parsed->text());
}

std::string ImageFileSystem::currentDirectory() {
    return currentDirectory_;
}

bool ImageFileSystem::setCurrentDirectory(const std::string& path) {
    lastFailure_.clear();
    const auto parsed = resolve(path);
    if (!parsed)
        return false;
    if (!onImage(*parsed)) {
        if (!host_.setCurrentDirectory(parsed->text()))
            return fail("There is no folder " + path + ".");
        currentDirectory_ = host_.currentDirectory();
        return true;
    }
    if (!isFolder(parsed->names))
        return lastFailure_.empty() ? fail("There is no folder " + path + " on the disk image.")
                                    : false;
    currentDirectory_ = parsed->text();
    return true;
}

std::vector<std::string> ImageFileSystem::volumeNotes(char letter) {
    if (std::toupper(static_cast<unsigned char>(letter)) != image_.driveLetter())
        return {};
    return image_.volumeNotes();
}

std::optional<std::string> ImageWindowsDirectory::query() {
    const auto& directory = image_.windowsDirectory();
    if (!directory || directory->size() >= kWindowsDirectoryBuffer)
        return std::nullopt;
    return directory;
}

}  // namespace quenlark

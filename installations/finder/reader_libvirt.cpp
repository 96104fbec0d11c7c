// libvirt keeps one domain XML per QEMU machine: the user session's in
// ~/.config/libvirt/qemu (virt-manager and GNOME Boxes, whose Flatpak has its
// own), the system's in /etc/libvirt/qemu. <name> is the machine, <title> the
// name the tools show; libosinfo's metadata says which system it runs.
#include <unistd.h>
#include <QXmlStreamReader>
#include <algorithm>
#include <system_error>

#include "readers.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

struct Domain {
    std::string name;
    std::string title;
    std::string os;  // libosinfo's id: "http://microsoft.com/win/98"
    bool madeByBoxes = false;
    std::vector<std::string> diskFiles;
};

std::optional<Domain> parseDomain(const fs::path& file, const std::string& text,
                                  std::vector<std::string>& notes) {
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    Domain domain;
    std::vector<QString> open;  // the elements the reader is inside
    bool inFileDisk = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.empty())
                open.pop_back();
            if (xml.name() == u"disk")
                inFileDisk = false;
            continue;
        }
        if (token == QXmlStreamReader::Characters && open.size() == 2 && open[0] == u"domain") {
            if (open[1] == u"name")
                domain.name += xml.text().toString().toStdString();
            else if (open[1] == u"title")
                domain.title += xml.text().toString().toStdString();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        open.push_back(xml.name().toString());
        const auto attributes = xml.attributes();
        if (xml.name() == u"os" && xml.namespaceUri().contains(u"libosinfo"))
            domain.os = attributes.value(QLatin1String("id")).toString().toStdString();
        else if (xml.name() == u"gnome-boxes")
            domain.madeByBoxes = true;
        else if (xml.name() == u"disk")
            inFileDisk = attributes.value(QLatin1String("type")) == u"file" &&
                         attributes.value(QLatin1String("device")) == u"disk";
        else if (xml.name() == u"source" && inFileDisk &&
                 attributes.hasAttribute(QLatin1String("file")))
            domain.diskFiles.push_back(
                attributes.value(QLatin1String("file")).toString().toStdString());
    }
    if (xml.hasError() || domain.name.empty()) {
        notes.push_back("The file " + file.string() + " is not a libvirt machine (" +
                        (xml.hasError() ? xml.errorString().toStdString() : "it has no name") +
                        "), so it is not listed.");
        return std::nullopt;
    }
    return domain;
}

DeclaredSystem declaredSystem(const std::string& os) {
    if (os.empty())
        return DeclaredSystem::Unknown;
    for (const char* windows9x : {"http://microsoft.com/win/95", "http://microsoft.com/win/98",
                                  "http://microsoft.com/win/me"})
        if (os == windows9x)
            return DeclaredSystem::Windows9x;
    return DeclaredSystem::Other;
}

struct MachineFolder {
    fs::path folder;
    std::string emulator;
    bool system;
};

}  // namespace

void ReaderLibvirt::read(const FinderInput& input, MachineList& out) const {
    const FinderPlaces& places = input.places;
    const std::vector<MachineFolder> folders{
        {places.configHome / "libvirt/qemu", "libvirt", false},
        {places.flatpak("org.gnome.Boxes") / "config/libvirt/qemu", "GNOME Boxes (Flatpak)", false},
        {places.systemLibvirt, "libvirt (system)", true},
    };
    for (const MachineFolder& where : folders) {
        std::error_code ec;
        if (!fs::is_directory(where.folder, ec))
            continue;
        if (::access(where.folder.c_str(), R_OK | X_OK) != 0) {
            out.notes.push_back(
                (where.system ? "The system's libvirt machines in " : "The libvirt machines in ") +
                where.folder.string() + " may not be read by this user" +
                (where.system ? " (only root may)" : "") + ", so they are not listed.");
            continue;
        }
        std::vector<fs::path> files;
        for (fs::directory_iterator it(where.folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".xml")
                files.push_back(it->path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const auto text = readMachineFile(file, out.notes);
            const auto domain = text ? parseDomain(file, *text, out.notes) : std::nullopt;
            if (!domain)
                continue;
            const std::string emulator =
                domain->madeByBoxes && where.emulator == "libvirt" ? "GNOME Boxes" : where.emulator;
            for (const std::string& disk : domain->diskFiles)
                out.disks.push_back({domain->title.empty() ? domain->name : domain->title, emulator,
                                     InstallationSource::Kind::DiskImage,
                                     hostPathFromConfig(disk, where.folder, places.home),
                                     declaredSystem(domain->os), file});
        }
    }
}

}  // namespace quenlark

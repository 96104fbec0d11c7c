// VirtualBox lists its machines in VirtualBox.xml (<MachineEntry src=...>);
// each machine's .vbox names its disks in <MediaRegistry> (a differencing
// image of a snapshot nested in the disk it is based on) and attaches them
// by UUID in <StorageControllers>. Those inside a <Snapshot> are the disks
// as they were then; the others are the machine's disks now.
#include <QXmlStreamReader>
#include <map>
#include <system_error>

#include "readers.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

struct VirtualBoxFile {
    std::vector<std::string> machineFiles;         // MachineEntry src
    std::map<std::string, std::string> diskFiles;  // HardDisk uuid -> location
    std::string machine;
    std::string osType;
    std::vector<std::string> attached;  // Image uuid, now
};

std::string attribute(const QXmlStreamReader& xml, const char* name) {
    return xml.attributes().value(QString::fromLatin1(name)).toString().toStdString();
}

// Reads one of VirtualBox's XML files; false, with a note, when it is none.
bool parse(const fs::path& file, const std::string& text, VirtualBoxFile& into,
           std::vector<std::string>& notes) {
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    int snapshotDepth = 0;
    bool inAttachedDisk = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const auto name = xml.name();
        if (token == QXmlStreamReader::EndElement) {
            if (name == u"Snapshot")
                --snapshotDepth;
            else if (name == u"AttachedDevice")
                inAttachedDisk = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (name == u"MachineEntry")
            into.machineFiles.push_back(attribute(xml, "src"));
        else if (name == u"HardDisk")
            into.diskFiles[attribute(xml, "uuid")] = attribute(xml, "location");
        else if (name == u"Machine" && into.machine.empty()) {
            into.machine = attribute(xml, "name");
            into.osType = attribute(xml, "OSType");
        } else if (name == u"Snapshot")
            ++snapshotDepth;
        else if (name == u"AttachedDevice")
            inAttachedDisk = snapshotDepth == 0 && attribute(xml, "type") == "HardDisk";
        else if (name == u"Image" && inAttachedDisk)
            into.attached.push_back(attribute(xml, "uuid"));
    }
    if (xml.hasError()) {
        notes.push_back("The file " + file.string() + " is not a VirtualBox settings file (" +
                        xml.errorString().toStdString() + "), so its machines are not listed.");
        return false;
    }
    return true;
}

DeclaredSystem declaredSystem(const std::string& osType) {
    if (osType.empty())
        return DeclaredSystem::Unknown;
    for (const char* windows9x : {"Windows95", "Windows98", "WindowsMe"})
        if (osType.rfind(windows9x, 0) == 0)
            return DeclaredSystem::Windows9x;
    return DeclaredSystem::Other;
}

fs::path virtualBoxHome(const FinderPlaces& places) {
    if (places.virtualBoxHome)
        return *places.virtualBoxHome;
    std::error_code ec;
    if (fs::is_directory(places.home / ".VirtualBox", ec))
        return places.home / ".VirtualBox";
    return places.configHome / "VirtualBox";
}

}  // namespace

void ReaderVirtualBox::read(const FinderInput& input, MachineList& out) const {
    const fs::path home = virtualBoxHome(input.places);
    const fs::path registryFile = home / "VirtualBox.xml";
    const auto registryText = readMachineFile(registryFile, out.notes);
    VirtualBoxFile registry;
    if (!registryText || !parse(registryFile, *registryText, registry, out.notes))
        return;
    for (const std::string& src : registry.machineFiles) {
        const fs::path machineFile = hostPathFromConfig(src, home, input.places.home);
        const auto text = readMachineFile(machineFile, out.notes);
        VirtualBoxFile machine;
        if (!text || !parse(machineFile, *text, machine, out.notes))
            continue;
        for (const std::string& uuid : machine.attached) {
            // Before 4.0 the disks were registered in VirtualBox.xml.
            fs::path base = machineFile.parent_path();
            auto location = machine.diskFiles.find(uuid);
            if (location == machine.diskFiles.end()) {
                location = registry.diskFiles.find(uuid);
                if (location == registry.diskFiles.end())
                    continue;
                base = home;
            }
            out.disks.push_back({machine.machine, "VirtualBox", InstallationSource::Kind::DiskImage,
                                 hostPathFromConfig(location->second, base, input.places.home),
                                 declaredSystem(machine.osType), machineFile});
        }
    }
}

}  // namespace quenlark

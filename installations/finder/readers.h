#pragma once

#include "machine_reader.h"

namespace quenlark {

// 86Box's machine manager (5.x: every folder with an 86box.cfg below its
// machine folder, named in vmm.ini), its Flatpak, and the machine folders of
// older 86Box and PCBox.
class Reader86Box : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// PCem v17: one configuration file per machine in its configs folder.
class ReaderPcem : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// VirtualBox's registered machines and the disks attached to them now.
class ReaderVirtualBox : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// libvirt's QEMU machines (virt-manager, GNOME Boxes and its Flatpak): the
// user's session, and the system's where this user may read them.
class ReaderLibvirt : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// DOSBox-X: the conf files in its configuration folder (and its Flatpak's)
// and in the search folders, by the disks their [autoexec] mounts.
class ReaderDosboxX : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// Bochs: ~/.bochsrc and the Bochs configuration files in the search folders.
class ReaderBochs : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

// The disk images in the folders the user added to be searched.
class ReaderSearchFolders : public MachineReader {
  public:
    void read(const FinderInput& input, MachineList& out) const override;
};

}  // namespace quenlark

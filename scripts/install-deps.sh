#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quenlark need.
# Both `make run` and `make test` start here; this is the one list of packages.
set -euo pipefail

packages=(
  cmake make ninja-build g++    # build
  qt6-base-dev libgl-dev        # Qt 6 Widgets (libgl-dev: Qt6Gui's CMake config needs the OpenGL headers)
  libgtest-dev                  # GoogleTest for the logostore and platform tests
  xvfb xauth xdotool imagemagick # running the program headless, screenshots
  clang-format                  # formatting
  xdg-utils                     # xdg-open: "Read Me" shows the readme in the desktop's text viewer
  fonts-wine fonts-liberation2  # the fonts the window layouts are measured with: Tahoma and MS Sans Serif (Wine's), Arial's metric twin Liberation Sans
  fonts-dejavu-core fonts-dejavu-extra # tests: DejaVu Sans in all its styles, the fallback font the layouts are checked with
  libimagequant-dev pkg-config  # the logo converter's reduction to 256 colours (found through pkg-config)
  libgif-dev                    # giflib: the start-up screen saved as an animated GIF, and read back in its tests
  desktop-file-utils appstream  # tests: desktop-file-validate and appstreamcli check the desktop entry and metainfo
  man-db                        # tests: man --warnings checks the man pages
  dpkg-dev file                 # make package: CPack fills Depends through dpkg-shlibdeps, which needs file
  lintian                       # make package: the package checked as Debian checks packages
  clang-14 libclang-rt-14-dev   # make fuzz: the libFuzzer targets need clang and its fuzzer and sanitizer runtimes
  mtools                        # disk images: reads and writes the FAT volume's files (mdir, mcopy, mmove, mattrib)
  qemu-utils                    # disk images: qemu-img makes the overlay of a change and commits it, in every image format
  qemu-system-common            # disk images: qemu-storage-daemon shows an image or an overlay as a plain file (FUSE export)
  fuse3                         # disk images: fusermount3 clears the mount a killed run left
  libblkid-dev                  # disk images: finds the partitions, logical drives, FAT type, label and serial
  libmount-dev                  # disk images: whether an export is mounted, from the mount table (a dead export cannot be asked)
  nlohmann-json3-dev            # disk images: reads what qemu-img reports of an image and writes the block nodes qemu is given
  dosfstools                    # disk images: fsck.fat -n checks a change before it is committed; mkfs.fat makes test images
  fdisk                         # tests: sfdisk writes the partition tables of test images
  debootstrap                   # make fresh-test: builds the minimal Debian 12 root that make test is tried in
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all Debian packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: need root to install these packages (run as root or install them yourself)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y --no-install-recommends "${missing[@]}"

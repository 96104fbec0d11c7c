#!/usr/bin/env bash
# Makes disk images as an attacker would hand them over, in FOLDER:
#   hostile_images.sh FOLDER PORT
# PORT is a TCP port on 127.0.0.1 that nothing may connect to. Besides the
# images it makes the files they aim at: victim.txt beside them and in
# outside/, and outside/base.img, a sound image outside the images' folder.
# Only bash, printf, dd, mkfs.fat, mtools and qemu-img: no blobs, no python.
set -euo pipefail
folder=$1
port=$2
mkdir -p "$folder/images" "$folder/outside"
cd "$folder/images"
export MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1

logo() {  # a stand-in logo of the right length
  { printf 'BM%s' "$1"; head -c $((129078 - 2 - ${#1})) /dev/zero; } > "$2"
}
fat_image() {  # a bare FAT16 volume holding Windows and its logos
  rm -f "$1"
  truncate -s 8M "$1"
  mkfs.fat -F 16 -s 1 -n W98 -i 1234ABCD "$1" > /dev/null
  mmd -i "$1" ::/WINDOWS
  logo start logo.tmp && mcopy -i "$1" logo.tmp ::/LOGO.SYS
  logo wait logo.tmp && mcopy -i "$1" logo.tmp ::/WINDOWS/LOGOW.SYS
  printf 'MZ' > logo.tmp && mcopy -i "$1" logo.tmp ::/WINDOWS/WIN.COM
  rm -f logo.tmp
}
qcow2_on() {  # qcow2_on NAME BACKING FORMAT: names its backing, never opens it
  qemu-img create -q -f qcow2 -u -b "$2" -F "$3" "$1" 8M
}
le64() {  # eight bytes, little-endian
  local n=$1 i out=
  for i in 0 1 2 3 4 5 6 7; do out+=$(printf '\\x%02x' $(((n >> (8 * i)) & 255))); done
  printf "$out"
}

echo "victim beside the images" > victim.txt
echo "victim outside" > ../outside/victim.txt
fat_image ../outside/base.img

# Names: shell syntax, "@@", spaces, a leading dash, a newline, in the file
# name and in the folder above it. Each runs `touch PWNED` if expanded.
named=$'./-d $(touch PWNED) @@7 `touch PWNED`'
mkdir -p "$named"
fat_image plain.tmp
mv plain.tmp "$named/"$'-w98 $(touch PWNED)@@512;x\n.img'
fat_image plain.tmp
qemu-img convert -f raw -O vpc -o subformat=fixed,force_size=on plain.tmp "$named/-fixed \$(touch PWNED).vhd"
qemu-img convert -f raw -O qcow2 plain.tmp "$named/-q \`touch PWNED\`@@1.qcow2"
rm plain.tmp

# A sound chain: top.qcow2 on mid.qcow2 beside it, on base/base.img below.
mkdir -p chain/base
fat_image chain/base/base.img
(cd chain && qemu-img create -q -f qcow2 -b base/base.img -F raw mid.qcow2 &&
  qemu-img create -q -f qcow2 -b mid.qcow2 -F qcow2 top.qcow2)

# Files that name other files.
# A sparse VMDK header of size 0 whose descriptor lists flat extents that are
# the victims: QEMU then reads and writes those instead.
{
  printf 'KDMV\x01\x00\x00\x00\x03\x00\x00\x00'
  le64 0; le64 128; le64 1; le64 1
} > vmdk-flat.vmdk
truncate -s 512 vmdk-flat.vmdk
printf '# Disk DescriptorFile\nversion=1\nCID=fffffffe\nparentCID=ffffffff\ncreateType="monolithicFlat"\n\nRW 1 FLAT "victim.txt" 0\nRW 1 FLAT "%s" 0\n' \
  "$folder/outside/victim.txt" | dd of=vmdk-flat.vmdk bs=512 seek=1 conv=notrunc status=none
truncate -s 1024 vmdk-flat.vmdk
printf '# Disk DescriptorFile\nversion=1\ncreateType="monolithicFlat"\nRW 1 FLAT "victim.txt" 0\n' > vmdk-split.vmdk
# A qcow2 whose data lies in an external file: made beside a stand-in, so that
# making it leaves the victim alone.
mkdir stand-in
(cd stand-in && qemu-img create -q -f qcow2 -o data_file=victim.txt data-file.qcow2 8M)
mv stand-in/data-file.qcow2 . && rm -r stand-in
qcow2_on nbd-json.qcow2 \
  "json:{\"driver\":\"raw\",\"file\":{\"driver\":\"nbd\",\"server\":{\"type\":\"inet\",\"host\":\"127.0.0.1\",\"port\":\"$port\"}}}" raw
qcow2_on nbd-url.qcow2 "nbd://127.0.0.1:$port/disk" raw
qcow2_on outside.qcow2 ../outside/base.img raw
qcow2_on absolute.qcow2 "$folder/outside/base.img" raw
ln -s ../outside/base.img inside-link.img
qcow2_on link.qcow2 inside-link.img raw
qcow2_on loop-a.qcow2 loop-b.qcow2 qcow2
qcow2_on loop-b.qcow2 loop-a.qcow2 qcow2
qcow2_on loop-self.qcow2 ./loop-self.qcow2 qcow2
for i in 5 4 3 2 1 0; do qcow2_on "deep-$i.qcow2" "deep-$((i + 1)).qcow2" qcow2; done
fat_image deep-6.qcow2.raw && qemu-img convert -f raw -O qcow2 deep-6.qcow2.raw deep-6.qcow2 && rm deep-6.qcow2.raw
qcow2_on lying-format.qcow2 chain/mid.qcow2 raw

# A logo that claims 1 GiB: its folder entry says so, its clusters hold 126 KiB.
fat_image huge.raw
# Its settings file is there, so that a look at it has nothing to write: the
# damage was there before, and a change is judged by what it adds.
printf 'LastUsedDir=C:\\\r\n' > ini.tmp && mcopy -i huge.raw ini.tmp ::/WINDOWS/QUENLARK.INI && rm ini.tmp
entry=$(grep -obUaF 'LOGO    SYS' huge.raw | head -n 1 | cut -d: -f1)
printf '\x00\x00\x00\x40' | dd of=huge.raw bs=1 seek=$((entry + 28)) conv=notrunc status=none
qemu-img convert -f raw -O qcow2 huge.raw huge-logo.qcow2 && rm huge.raw

# Files that are no images: a FIFO, a folder, a qcow2 whose backing is a FIFO.
mkfifo pipe.img fifo-backing.raw
mkdir folder.img
qcow2_on fifo-backing.qcow2 fifo-backing.raw raw

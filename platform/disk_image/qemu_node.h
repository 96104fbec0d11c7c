#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace quenlark {

// One file of a disk: the image, or a backing file it rests on.
struct ImageLayer {
    std::filesystem::path file;
    std::string format;  // as qemu names it
};

// An image first, then each backing file beneath it, every one inspected
// (see image_inspection.h).
using ImageChain = std::vector<ImageLayer>;

// How qemu opens a chain.
struct NodeAccess {
    // The first layers qemu may open for writing; the rest are read-only.
    std::size_t writableLayers = 0;
    // A view that shares the files with writers: no lock taken, none asked.
    bool shared = false;
    // The top node's name, when something refers to it.
    std::string nodeName = {};
};

// The chain as one qemu block node in JSON: for each layer its format named
// and its file opened by the file protocol, never guessed from a name (one
// that starts with "json:" or "nbd:" would open whatever it says), and its
// backing given, the last layer's as none, so that qemu never follows a
// backing file name that an image holds.
std::string qemuNode(const ImageChain& chain, const NodeAccess& access);

// The same node as a file name for qemu-img: "json:{...}".
std::string qemuNodeName(const ImageChain& chain, const NodeAccess& access);

}  // namespace quenlark

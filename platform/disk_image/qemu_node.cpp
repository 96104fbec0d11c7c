#include "qemu_node.h"

#include <nlohmann/json.hpp>

namespace quenlark {

namespace {

nlohmann::json layerNode(const ImageChain& chain, std::size_t layer, const NodeAccess& access) {
    const bool readOnly = layer >= access.writableLayers;
    nlohmann::json file{{"driver", "file"}, {"filename", chain[layer].file.string()}};
    nlohmann::json node{{"driver", chain[layer].format}};
    if (readOnly) {
        file["read-only"] = true;
        node["read-only"] = true;
    }
    if (access.shared) {
        file["locking"] = "off";
        file["force-share"] = true;
        node["force-share"] = true;
    }
    node["file"] = std::move(file);
    // Only these formats can have a backing file; qemu refuses the option for
    // the others.
    const bool backed = chain[layer].format == "qcow2" || chain[layer].format == "vmdk";
    if (backed)
        node["backing"] = layer + 1 < chain.size() ? layerNode(chain, layer + 1, access)
                                                   : nlohmann::json(nullptr);
    return node;
}

}  // namespace

std::string qemuNode(const ImageChain& chain, const NodeAccess& access) {
    if (chain.empty())
        return "{}";
    nlohmann::json node = layerNode(chain, 0, access);
    if (!access.nodeName.empty())
        node["node-name"] = access.nodeName;
    // Every name was checked to be UTF-8 before (qemu reads no other JSON).
    return node.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string qemuNodeName(const ImageChain& chain, const NodeAccess& access) {
    return "json:" + qemuNode(chain, access);
}

}  // namespace quenlark

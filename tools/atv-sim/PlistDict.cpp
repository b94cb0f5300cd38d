#include "PlistDict.h"

#include <plist/plist.h>

#include <cstdlib>
#include <stdexcept>

void PlistDict::Free::operator()(void* node) const
{
    plist_free(static_cast<plist_t>(node));
}

PlistDict::PlistDict(void* root) : root_(root) {}

std::optional<PlistDict> PlistDict::parse(ByteView body)
{
    if (body.empty() || body.size() > UINT32_MAX)
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(body.data()), static_cast<std::uint32_t>(body.size()),
                      &root);
    if (!root)
        return std::nullopt;
    if (plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return std::nullopt;
    }
    return PlistDict(root);
}

bool PlistDict::has(const char* key) const
{
    return plist_dict_get_item(root_.get(), key) != nullptr;
}

std::optional<Bytes> PlistDict::data(const char* key) const
{
    plist_t node = plist_dict_get_item(root_.get(), key);
    if (!node || plist_get_node_type(node) != PLIST_DATA)
        return std::nullopt;
    char* value = nullptr;
    std::uint64_t length = 0;
    plist_get_data_val(node, &value, &length);
    Bytes out(reinterpret_cast<std::uint8_t*>(value), reinterpret_cast<std::uint8_t*>(value) + length);
    std::free(value);
    return out;
}

std::optional<std::string> PlistDict::text(const char* key) const
{
    plist_t node = plist_dict_get_item(root_.get(), key);
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(node, &value);
    std::string out = value ? value : "";
    std::free(value);
    return out;
}

Bytes PlistDict::writeBinary(std::initializer_list<std::pair<const char*, ByteView>> entries)
{
    std::unique_ptr<void, Free> dict(plist_new_dict());
    for (const auto& [key, value] : entries)
        plist_dict_set_item(dict.get(), key,
                            plist_new_data(reinterpret_cast<const char*>(value.data()), value.size()));
    char* bin = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(dict.get(), &bin, &length);
    if (!bin)
        throw std::runtime_error("plist_to_bin failed");
    Bytes out(reinterpret_cast<std::uint8_t*>(bin), reinterpret_cast<std::uint8_t*>(bin) + length);
    plist_to_bin_free(bin);
    return out;
}

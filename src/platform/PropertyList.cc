#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

namespace instala::platform {
namespace {

struct PlistFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistFree>;

plist_t toNode(const PlistValue& value) {
  return std::visit(
      [](const auto& v) -> plist_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return plist_new_string(v.c_str());
        } else if constexpr (std::is_same_v<T, bool>) {
          return plist_new_bool(v ? 1 : 0);
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          return plist_new_uint(static_cast<std::uint64_t>(v));
        } else if constexpr (std::is_same_v<T, double>) {
          return plist_new_real(v);
        } else if constexpr (std::is_same_v<T, Bytes>) {
          return plist_new_data(reinterpret_cast<const char*>(v.data()), v.size());
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          plist_t array = plist_new_array();
          for (const auto& item : v) plist_array_append_item(array, toNode(item));
          return array;
        } else {
          plist_t dict = plist_new_dict();
          for (const auto& [key, item] : v) plist_dict_set_item(dict, key.c_str(), toNode(item));
          return dict;
        }
      },
      value.storage());
}

std::string takeString(char* text) {
  std::string result = text ? text : "";
  std::free(text);
  return result;
}

std::optional<PlistValue> fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
      char* text = nullptr;
      plist_get_string_val(node, &text);
      return PlistValue(takeString(text));
    }
    case PLIST_BOOLEAN: {
      std::uint8_t flag = 0;
      plist_get_bool_val(node, &flag);
      return PlistValue(flag != 0);
    }
    case PLIST_UINT: {
      std::uint64_t number = 0;
      plist_get_uint_val(node, &number);
      return PlistValue(static_cast<std::int64_t>(number));
    }
    case PLIST_REAL: {
      double number = 0;
      plist_get_real_val(node, &number);
      return PlistValue(number);
    }
    case PLIST_DATA: {
      char* data = nullptr;
      std::uint64_t length = 0;
      plist_get_data_val(node, &data, &length);
      Bytes bytes(data, data + length);
      std::free(data);
      return PlistValue(std::move(bytes));
    }
    case PLIST_ARRAY: {
      PlistArray array;
      const std::uint32_t size = plist_array_get_size(node);
      for (std::uint32_t i = 0; i < size; ++i) {
        auto item = fromNode(plist_array_get_item(node, i));
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return PlistValue(std::move(array));
    }
    case PLIST_DICT: {
      PlistDict dict;
      plist_dict_iter iter = nullptr;
      plist_dict_new_iter(node, &iter);
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        if (!item) {
          std::free(key);
          break;
        }
        std::string name = takeString(key);
        auto value = fromNode(item);
        if (!value) {
          std::free(iter);
          return std::nullopt;
        }
        dict.emplace(std::move(name), std::move(*value));
      }
      std::free(iter);
      return PlistValue(std::move(dict));
    }
    default:
      // Dates, UIDs and keys have no place in our documents.
      return std::nullopt;
  }
}

}  // namespace

std::optional<Bytes> encodePropertyList(const PlistValue& value, PlistFormat format) {
  PlistNode node(toNode(value));
  char* out = nullptr;
  std::uint32_t length = 0;
  if (format == PlistFormat::xml) {
    plist_to_xml(node.get(), &out, &length);
  } else {
    plist_to_bin(node.get(), &out, &length);
  }
  if (!out) return std::nullopt;
  Bytes bytes(out, out + length);
  if (format == PlistFormat::xml) {
    plist_to_xml_free(out);
  } else {
    plist_to_bin_free(out);
  }
  return bytes;
}

std::optional<PlistValue> decodePropertyList(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
  if (!raw) return std::nullopt;
  PlistNode node(raw);
  return fromNode(node.get());
}

std::optional<PlistValue> decodePropertyList(const Bytes& bytes) {
  return decodePropertyList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<PlistValue> readPropertyListFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return decodePropertyList(std::string_view(bytes));
}

const PlistValue* dictValue(const PlistValue& dict, const std::string& key) {
  const auto* entries = dict.get<PlistDict>();
  if (!entries) return nullptr;
  auto it = entries->find(key);
  return it == entries->end() ? nullptr : &it->second;
}

std::optional<std::string> dictString(const PlistValue& dict, const std::string& key) {
  const PlistValue* value = dictValue(dict, key);
  if (!value || !value->is<std::string>()) return std::nullopt;
  return *value->get<std::string>();
}

}  // namespace instala::platform

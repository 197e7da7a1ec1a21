#include "platform/PropertyList.h"

#include "platform/BinaryPropertyList.h"
#include "platform/FileSystem.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

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
        } else if constexpr (std::is_same_v<T, PlistDate>) {
          // libplist keeps whole seconds as 32 bits: 1933 to 2069.
          const double limit = std::numeric_limits<std::int32_t>::max();
          const double seconds = std::isfinite(v.secondsSince2001) ? std::clamp(v.secondsSince2001, -limit, limit) : 0;
          const double whole = std::floor(seconds);
          return plist_new_date(static_cast<std::int32_t>(whole), static_cast<std::int32_t>((seconds - whole) * 1e6));
        } else if constexpr (std::is_same_v<T, PlistUid>) {
          return plist_new_uid(v.value);
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

// libplist's XML reader recurses once per element and has no limit of its own:
// a document nested deeper than the conversion below accepts never reaches it.
// Comments, declarations and CDATA are skipped up to the earliest place they
// could end, and a closing tag only closes the element of its own name, so the
// count never falls below the nesting libplist would see.
bool xmlNestingWithin(std::string_view text, std::size_t limit) {
  std::vector<std::string_view> open;
  std::size_t at = 0;
  auto skipPast = [&](std::string_view end) {
    const auto found = text.find(end, at + 1);
    at = found == std::string_view::npos ? text.size() : found + end.size();
  };
  while ((at = text.find('<', at)) != std::string_view::npos) {
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("<!--")) {
      skipPast("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      skipPast("]]>");
    } else if (rest.starts_with("<?")) {
      skipPast("?>");
    } else if (rest.starts_with("<!")) {
      skipPast(">");
    } else {
      const bool closing = rest.starts_with("</");
      const std::size_t nameStart = at + (closing ? 2 : 1);
      const std::size_t end = text.find('>', nameStart);
      if (end == std::string_view::npos) return true;  // an unfinished tag: libplist refuses the document
      const std::size_t nameEnd = text.find_first_of(" \t\r\n/>", nameStart);
      const std::string_view name = text.substr(nameStart, nameEnd - nameStart);
      if (closing) {
        if (!open.empty() && open.back() == name) open.pop_back();
      } else if (text[end - 1] != '/') {
        open.push_back(name);
        if (open.size() > limit) return false;
      }
      at = end + 1;
    }
  }
  return true;
}

// Converts what libplist's XML reader built, through accessors that cannot
// assert: texts are taken with their length, keys come from XML where libplist
// makes them with the length of their C string.
std::optional<PlistValue> fromNode(plist_t node, int depth) {
  switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
      std::uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      if (!text) return std::nullopt;
      std::string value(text, static_cast<std::size_t>(length));
      if (!isPropertyListText(value)) return std::nullopt;
      return PlistValue(std::move(value));
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
    case PLIST_DATE: {
      std::int32_t seconds = 0, microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return PlistValue(PlistDate{seconds + microseconds / 1e6});
    }
    case PLIST_UID: {
      std::uint64_t value = 0;
      plist_get_uid_val(node, &value);
      return PlistValue(PlistUid{value});
    }
    case PLIST_DATA: {
      std::uint64_t length = 0;
      const char* data = plist_get_data_ptr(node, &length);
      if (!data && length > 0) return std::nullopt;
      const auto* begin = reinterpret_cast<const std::uint8_t*>(data);
      return PlistValue(Bytes(begin, begin + length));
    }
    case PLIST_ARRAY: {
      if (depth >= kMaximumPropertyListNesting) return std::nullopt;
      PlistArray array;
      const std::uint32_t size = plist_array_get_size(node);
      for (std::uint32_t i = 0; i < size; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return PlistValue(std::move(array));
    }
    case PLIST_DICT: {
      if (depth >= kMaximumPropertyListNesting) return std::nullopt;
      PlistDict dict;
      plist_dict_iter iter = nullptr;
      plist_dict_new_iter(node, &iter);
      std::unique_ptr<void, decltype(&std::free)> iterator(iter, &std::free);
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        std::unique_ptr<char, decltype(&std::free)> name(key, &std::free);
        if (!item) break;
        if (!key || !isPropertyListText(key)) return std::nullopt;
        auto value = fromNode(item, depth + 1);
        if (!value) return std::nullopt;
        dict.emplace(key, std::move(*value));
      }
      return PlistValue(std::move(dict));
    }
    default:
      return std::nullopt;
  }
}

std::optional<PlistValue> decodeXmlPropertyList(std::string_view bytes) {
  // No XML document holds a NUL byte; a damaged file (a zeroed block) does.
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  // The plist element and a text element inside the deepest container come on top of the containers.
  if (!xmlNestingWithin(bytes, kMaximumPropertyListNesting + 2)) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
  if (!raw) return std::nullopt;
  PlistNode node(raw);
  return fromNode(node.get(), 0);
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
  if (bytes.starts_with("bplist")) return decodeBinaryPropertyList(bytes);
  return decodeXmlPropertyList(bytes);
}

std::optional<PlistValue> decodePropertyList(const Bytes& bytes) {
  return decodePropertyList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<PlistValue> readPropertyListFile(const std::string& path) {
  auto bytes = readFile(path);
  if (!bytes) return std::nullopt;
  return decodePropertyList(*bytes);
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

#include "text_escape.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace xova_tool {

bool ValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    const unsigned c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int n;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
      n = 1, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (end - p <= n) return false;
    for (int i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += n + 1;
  }
  return true;
}

namespace {

const char kHex[] = "0123456789abcdef";

}  // namespace

std::string HexOf(std::string_view bytes) {
  std::string h;
  h.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    h += kHex[c >> 4];
    h += kHex[c & 15];
  }
  return h;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

nlohmann::json TextToJson(std::string_view bytes) {
  if (ValidUtf8(bytes)) return std::string(bytes);
  return nlohmann::json{{"hex", HexOf(bytes)}};
}

bool TextFromJson(const nlohmann::json& j, std::string& out, std::string& why) {
  if (j.is_string()) {
    out = j.get<std::string>();
    return true;
  }
  if (j.is_object() && j.size() == 1 && j.contains("hex") && j["hex"].is_string()) {
    const std::string& h = j["hex"].get_ref<const std::string&>();
    if (h.size() % 2 != 0) {
      why = "odd number of hex digits";
      return false;
    }
    out.clear();
    for (std::size_t i = 0; i < h.size(); i += 2) {
      const int hi = HexDigit(h[i]), lo = HexDigit(h[i + 1]);
      if (hi < 0 || lo < 0) {
        why = "not a hex digit";
        return false;
      }
      out += static_cast<char>(hi * 16 + lo);
    }
    return true;
  }
  why = "expected a string or {\"hex\": \"...\"}";
  return false;
}

char* PutJsonText(char* p, std::string_view bytes) {
  if (!ValidUtf8(bytes)) {
    std::memcpy(p, "{\"hex\":\"", 8);
    p += 8;
    for (unsigned char c : bytes) {
      *p++ = kHex[c >> 4];
      *p++ = kHex[c & 15];
    }
    *p++ = '"';
    *p++ = '}';
    return p;
  }
  *p++ = '"';
  for (unsigned char c : bytes) {
    switch (c) {
      case '"':
        *p++ = '\\', *p++ = '"';
        break;
      case '\\':
        *p++ = '\\', *p++ = '\\';
        break;
      case '\n':
        *p++ = '\\', *p++ = 'n';
        break;
      case '\r':
        *p++ = '\\', *p++ = 'r';
        break;
      case '\t':
        *p++ = '\\', *p++ = 't';
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          std::memcpy(p, "\\u00", 4);
          p += 4;
          *p++ = kHex[c >> 4];
          *p++ = kHex[c & 15];
        } else {
          *p++ = static_cast<char>(c);
        }
    }
  }
  *p++ = '"';
  return p;
}

char* PutCsvField(char* p, std::string_view field, char separator) {
  bool quote = false;
  for (char c : field) {
    if (c == separator || c == '"' || c == '\r' || c == '\n') {
      quote = true;
      break;
    }
  }
  if (!quote) {
    std::memcpy(p, field.data(), field.size());
    return p + field.size();
  }
  *p++ = '"';
  for (char c : field) {
    if (c == '"') *p++ = '"';
    *p++ = c;
  }
  *p++ = '"';
  return p;
}

char* PutTsvField(char* p, std::string_view field) {
  for (char c : field) {
    switch (c) {
      case '\t':
        *p++ = '\\', *p++ = 't';
        break;
      case '\r':
        *p++ = '\\', *p++ = 'r';
        break;
      case '\n':
        *p++ = '\\', *p++ = 'n';
        break;
      case '\\':
        *p++ = '\\', *p++ = '\\';
        break;
      default:
        *p++ = c;
    }
  }
  return p;
}

char* PutNumber(char* p, double v) {
  if (std::isnan(v)) {
    std::memcpy(p, "nan", 3);
    return p + 3;
  }
  if (std::isinf(v)) {
    if (v < 0) *p++ = '-';
    std::memcpy(p, "inf", 3);
    return p + 3;
  }
  // Whole numbers under 100000 in magnitude are the bulk of survey data
  // (codes, counts, ages). For them std::to_chars' shortest form is always
  // the plain digits (an exponent form is never shorter below 100000), and
  // writing the digits directly costs a fraction of the general conversion.
  if (v > -100000.0 && v < 100000.0) {
    const int whole = static_cast<int>(v);
    if (static_cast<double>(whole) == v && !(whole == 0 && std::signbit(v))) {
      unsigned u = static_cast<unsigned>(whole);
      if (whole < 0) {
        *p++ = '-';
        u = 0u - u;
      }
      const int digits = u < 10 ? 1 : u < 100 ? 2 : u < 1000 ? 3 : u < 10000 ? 4 : 5;
      for (int i = digits - 1; i >= 0; --i, u /= 10) p[i] = static_cast<char>('0' + u % 10);
      return p + digits;
    }
  }
  return std::to_chars(p, p + kMaxNumberBytes, v).ptr;
}

namespace {

template <typename Put>
void AppendWith(std::string& out, std::size_t most, Put put) {
  const std::size_t used = out.size();
  out.resize(used + most);
  char* end = put(&out[used]);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

void AppendJsonText(std::string& out, std::string_view bytes) {
  AppendWith(out, MaxJsonBytes(bytes.size()), [&](char* p) { return PutJsonText(p, bytes); });
}

void AppendCsvField(std::string& out, std::string_view field, char separator) {
  AppendWith(out, MaxCsvBytes(field.size()),
             [&](char* p) { return PutCsvField(p, field, separator); });
}

void AppendTsvField(std::string& out, std::string_view field) {
  AppendWith(out, MaxCsvBytes(field.size()), [&](char* p) { return PutTsvField(p, field); });
}

void AppendNumber(std::string& out, double v) {
  AppendWith(out, kMaxNumberBytes, [&](char* p) { return PutNumber(p, v); });
}

bool ParseNumber(std::string_view s, double& v) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
    // from_chars takes a minus; after a plus it would read "+-1" as -1.
    if (!s.empty() && s.front() == '-') return false;
  }
  if (s.empty()) return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace xova_tool

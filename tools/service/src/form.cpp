#include "form.h"

#include "gbk.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string &value, bool plus_is_space) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '%' && i + 2 < value.size()) {
      int hi = HexValue(value[i + 1]);
      int lo = HexValue(value[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += (plus_is_space && c == '+') ? ' ' : c;
  }
  return out;
}

} // namespace

FormFields ParseFormFields(const std::string &text) {
  FormFields fields;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos)
      end = text.size();
    std::string pair = text.substr(start, end - start);
    if (!pair.empty()) {
      size_t eq = pair.find('=');
      std::string name = DecodeRawValue(pair.substr(0, eq));
      std::string value = eq == std::string::npos ? std::string() : pair.substr(eq + 1);
      fields.emplace_back(std::move(name), std::move(value));
    }
    start = end + 1;
  }
  return fields;
}

bool FindField(const FormFields &fields, const std::string &name, std::string &value) {
  for (const auto &field : fields) {
    if (field.first == name) {
      value = field.second;
      return true;
    }
  }
  return false;
}

std::string DecodeRawValue(const std::string &value) { return PercentDecode(value, false); }

std::string DecodeEncodedValue(const std::string &value) { return PercentDecode(value, true); }

std::string RawParamToUtf8(const std::string &value) { return GbkToUtf8(DecodeRawValue(value)); }

std::string EncodedParamToUtf8(const std::string &value) {
  std::string bytes = DecodeEncodedValue(value);
  return IsValidUtf8(bytes) ? bytes : GbkToUtf8(bytes);
}

#include "gbk.h"

#include <cerrno>
#include <iconv.h>

namespace {

// CP936 rather than GBK: Windows maps 0x80 to the euro sign, glibc's GBK does not.
constexpr const char *kGbkName = "CP936";

class IconvHandle {
public:
  IconvHandle(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid())
      iconv_close(cd_);
  }
  IconvHandle(const IconvHandle &) = delete;
  IconvHandle &operator=(const IconvHandle &) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

private:
  iconv_t cd_;
};

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if ((lead & 0xE0) == 0xC0)
    return 2;
  if ((lead & 0xF0) == 0xE0)
    return 3;
  if ((lead & 0xF8) == 0xF0)
    return 4;
  return 1;
}

// Converts piecewise; on an unconvertible or truncated sequence writes `replacement`
// and skips it (the whole UTF-8 sequence when the source is UTF-8, one byte otherwise).
std::string Convert(const char *to, const char *from, const std::string &in,
                    const std::string &replacement, bool source_is_utf8) {
  std::string out;
  if (in.empty())
    return out;
  IconvHandle cd(to, from);
  if (!cd.valid())
    return out;

  char *src = const_cast<char *>(in.data());
  size_t src_left = in.size();
  char buffer[4096];
  while (src_left > 0) {
    char *dst = buffer;
    size_t dst_left = sizeof buffer;
    size_t rc = iconv(cd.get(), &src, &src_left, &dst, &dst_left);
    out.append(buffer, sizeof buffer - dst_left);
    if (rc != static_cast<size_t>(-1))
      break;
    if (errno == E2BIG)
      continue;
    // EILSEQ or EINVAL: replace the offending sequence and go on.
    out += replacement;
    size_t skip = 1;
    if (source_is_utf8) {
      skip = Utf8SequenceLength(static_cast<unsigned char>(*src));
      size_t valid = 1;
      while (valid < skip && valid < src_left &&
             (static_cast<unsigned char>(src[valid]) & 0xC0) == 0x80)
        ++valid;
      skip = valid;
    }
    if (skip > src_left)
      skip = src_left;
    src += skip;
    src_left -= skip;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

} // namespace

std::string Utf8ToGbk(const std::string &utf8) {
  return Convert(kGbkName, "UTF-8", utf8, "?", true);
}

std::string GbkToUtf8(const std::string &gbk) {
  return Convert("UTF-8", kGbkName, gbk, "\xEF\xBF\xBD", false);
}

bool IsValidUtf8(const std::string &bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = Utf8SequenceLength(c);
    if (len == 1 || c < 0xC2 || c > 0xF4 || i + len > n)
      return false;
    unsigned int cp = c & (0xFF >> (len + 1));
    for (size_t k = 1; k < len; ++k) {
      unsigned char t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

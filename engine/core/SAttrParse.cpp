#include "engine/core/SAttrParse.h"
#include <cwchar>
#include <cwctype>
#include "engine/core/SResProviderMgr.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
bool ParseHexByte(const std::wstring& s, size_t at, BYTE& out)
{
    wchar_t buf[3] = {s[at], s[at + 1], 0};
    if (!iswxdigit(buf[0]) || !iswxdigit(buf[1]))
        return false;
    out = BYTE(wcstoul(buf, nullptr, 16));
    return true;
}

bool ParseComponents(const std::wstring& inner, std::vector<int>& out)
{
    if (!ParseIntList(inner, out))
        return false;
    for (int c : out)
        if (c < 0 || c > 255)
            return false;
    return true;
}
}  // namespace

bool ParseInt(const std::wstring& v, int& out)
{
    std::wstring s = Trim(v);
    if (s.empty())
        return false;
    wchar_t* end = nullptr;
    long n;
    if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X'))
        n = long(wcstoul(s.c_str() + 2, &end, 16));
    else
        n = wcstol(s.c_str(), &end, 10);
    if (!end || *end != 0)
        return false;
    out = int(n);
    return true;
}

bool ParseBool(const std::wstring& v, bool& out)
{
    std::wstring s = ToLower(Trim(v));
    if (s == L"1" || s == L"true" || s == L"yes")
        out = true;
    else if (s == L"0" || s == L"false" || s == L"no")
        out = false;
    else
        return false;
    return true;
}

bool ParseIntList(const std::wstring& v, std::vector<int>& out)
{
    std::vector<int> vals;
    for (const auto& f : Split(v, L',')) {
        int n;
        if (!ParseInt(f, n))
            return false;
        vals.push_back(n);
    }
    out = std::move(vals);
    return true;
}

bool ParseMargin(const std::wstring& v, RECT& out)
{
    std::vector<int> n;
    if (!ParseIntList(v, n))
        return false;
    if (n.size() == 1)
        out = RECT{n[0], n[0], n[0], n[0]};
    else if (n.size() == 2)
        out = RECT{n[0], n[1], n[0], n[1]};
    else if (n.size() == 4)
        out = RECT{n[0], n[1], n[2], n[3]};
    else
        return false;
    return true;
}

bool ParseColor(const std::wstring& raw, COLORREF& out)
{
    std::wstring v = Trim(raw);
    if (v.empty())
        return false;
    if (v[0] == L'@') {
        const std::wstring prefix = L"@color/";
        if (v.compare(0, prefix.size(), prefix) != 0)
            return false;
        auto* mgr = SResProviderMgr::getSingletonPtr();
        return mgr && mgr->GetColorByName(v.substr(prefix.size()), out);
    }
    if (v[0] == L'#') {
        BYTE r, g, b, a = 255;
        if (v.size() == 4) {
            std::wstring x = {v[1], v[1], v[2], v[2], v[3], v[3]};
            if (!ParseHexByte(x, 0, r) || !ParseHexByte(x, 2, g) || !ParseHexByte(x, 4, b))
                return false;
        } else if (v.size() == 7 || v.size() == 9) {
            if (!ParseHexByte(v, 1, r) || !ParseHexByte(v, 3, g) || !ParseHexByte(v, 5, b))
                return false;
            if (v.size() == 9 && !ParseHexByte(v, 7, a))
                return false;
        } else {
            return false;
        }
        out = RGBA(r, g, b, a);
        return true;
    }
    std::wstring low = ToLower(v);
    bool hasAlpha = low.compare(0, 5, L"rgba(") == 0;
    if (!hasAlpha && low.compare(0, 4, L"rgb(") != 0)
        return false;
    if (low.back() != L')')
        return false;
    size_t open = low.find(L'(');
    std::vector<int> c;
    if (!ParseComponents(low.substr(open + 1, low.size() - open - 2), c))
        return false;
    if (c.size() != (hasAlpha ? 4u : 3u))
        return false;
    out = RGBA(BYTE(c[0]), BYTE(c[1]), BYTE(c[2]), BYTE(hasAlpha ? c[3] : 255));
    return true;
}

void SFontSpec::Merge(const SFontSpec& o)
{
    if (!o.face.empty())
        face = o.face;
    if (o.size > 0)
        size = o.size;
    if (o.bold >= 0)
        bold = o.bold;
    if (o.italic >= 0)
        italic = o.italic;
    if (o.underline >= 0)
        underline = o.underline;
}

std::wstring SFontSpec::Key() const
{
    return ToLower(face) + L"|" + std::to_wstring(size) + L"|" + std::to_wstring(bold > 0) +
           std::to_wstring(italic > 0) + std::to_wstring(underline > 0);
}

bool ParseFontSpec(const std::wstring& v, SFontSpec& out)
{
    SFontSpec spec;
    for (const auto& field : Split(v, L',')) {
        std::wstring f = Trim(field);
        if (f.empty())
            continue;
        size_t colon = f.find(L':');
        if (colon == std::wstring::npos)
            return false;
        std::wstring key = ToLower(Trim(f.substr(0, colon)));
        std::wstring val = Trim(f.substr(colon + 1));
        int n = 0;
        if (key == L"face") {
            spec.face = val;
        } else if (key == L"size" || key == L"adding") {
            if (!ParseInt(val, n))
                return false;
            spec.size = n;
        } else if (key == L"bold" || key == L"italic" || key == L"underline") {
            if (!ParseInt(val, n))
                return false;
            (key == L"bold" ? spec.bold : key == L"italic" ? spec.italic : spec.underline) = n ? 1 : 0;
        } else {
            return false;
        }
    }
    out = spec;
    return true;
}

bool ParsePos(const std::wstring& v, std::vector<SPosItem>& out)
{
    std::vector<SPosItem> items;
    for (const auto& field : Split(v, L',')) {
        std::wstring f = Trim(field);
        SPosItem it;
        if (!f.empty() && f[0] == L'-') {
            it.type = SPosItem::Far;
            f = f.substr(1);
        } else if (!f.empty() && f[0] == L'@') {
            it.type = SPosItem::Size;
            f = f.substr(1);
        }
        if (!ParseInt(f, it.value) || it.value < 0)
            return false;
        items.push_back(it);
    }
    if (items.size() != 2 && items.size() != 4)
        return false;
    if (items[0].type == SPosItem::Size || items[1].type == SPosItem::Size)
        return false;
    out = std::move(items);
    return true;
}

}  // namespace SOUI

#include "answer.h"

#include <climits>
#include <memory>

#include "base/textconv.h"

namespace {
void RemoveAll(std::wstring& text, const std::wstring& tag)
{
    size_t at = 0;
    while ((at = text.find(tag, at)) != std::wstring::npos)
        text.erase(at, tag.size());
}
}  // namespace

bool ParseAnswer(const std::string& answer, Json::Value& root)
{
    if (answer.empty())
        return false;
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value parsed;
        std::string errors;
        if (!reader->parse(answer.data(), answer.data() + answer.size(), &parsed, &errors))
            return false;
        root.swap(parsed);
        return true;
    } catch (...) {
        // jsoncpp throws on nesting deeper than its stack limit.
        return false;
    }
}

bool AnswerCodeOk(const Json::Value& root, bool acceptOne)
{
    const Json::Value* code = Member(root, "code");
    if (!code || !code->isNumeric() || !code->isConvertibleTo(Json::intValue))
        return false;
    const int value = code->asInt();
    return value == 200 || (acceptOne && value == 1);
}

const Json::Value* Member(const Json::Value& object, const char* key)
{
    if (!object.isObject())
        return nullptr;
    return object.find(key, key + std::char_traits<char>::length(key));
}

bool ReadStringBytes(const Json::Value& object, const char* key, std::string& out)
{
    const Json::Value* value = Member(object, key);
    if (!value || !value->isString())
        return false;
    out = value->asString();
    return true;
}

bool ReadString(const Json::Value& object, const char* key, std::wstring& out)
{
    const Json::Value* value = Member(object, key);
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!value || !value->isString())
        return false;
    // Converted where the parser keeps the bytes: a history answer has thousands of these.
    out = value->getString(&begin, &end) ? GbkToWide(begin, static_cast<size_t>(end - begin)) : std::wstring();
    return true;
}

bool ReadText(const Json::Value& object, const char* key, std::wstring& out)
{
    if (!object.isObject())
        return false;
    const Json::Value* value = Member(object, key);
    if (!value || value->isNull()) {
        out.clear();
        return true;
    }
    if (value->isArray() || value->isObject())
        return false;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (value->getString(&begin, &end))
        out = GbkToWide(begin, static_cast<size_t>(end - begin));
    else
        out = GbkToWide(value->asString());
    return true;
}

std::int32_t SecondsFromText(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<std::int32_t>(value);
}

std::wstring RemoveEmTags(std::wstring text)
{
    RemoveAll(text, L"<em>");
    RemoveAll(text, L"</em>");
    return text;
}

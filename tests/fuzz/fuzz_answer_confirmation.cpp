// The answer of the request-code call and of the two record calls: whether it confirms
// depends on what the answer says, not on how it is spelled. The same JSON written out
// again (members sorted, other spacing, an unrelated member added) reads the same.
#include <json/json.h>

#include <memory>
#include <sstream>

#include "fuzzing.h"
#include "net/answer.h"
#include "net/endpointanswers.h"

namespace {

std::string Write(const Json::Value& value, const char* indentation)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = indentation;
    builder["emitUTF8"] = true;  // strings are GBK bytes: kept as they are, not escaped
    std::ostringstream out;
    const std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    writer->write(value, &out);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string answer = Bytes(data, size);
    const bool confirmed = ReadConfirmation(answer);
    Json::Value root;
    if (!ParseAnswer(answer, root)) {
        FUZZ_CHECK(!confirmed);
        return 0;
    }
    FUZZ_CHECK(ReadConfirmation(Write(root, "")) == confirmed);
    FUZZ_CHECK(ReadConfirmation(Write(root, "\t")) == confirmed);
    if (root.isObject() && !root.isMember("zz_unrelated")) {
        root["zz_unrelated"] = Json::Value(Json::arrayValue);
        FUZZ_CHECK(ReadConfirmation(Write(root, " ")) == confirmed);
    }
    return 0;
}

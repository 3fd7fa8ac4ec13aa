// History records: a refused answer leaves the array alone; accepted ones only append.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<InvoiceRecord> records(1);
    records[0].apply_id = L"kept";
    const bool ok = ReadInvoiceRecordList(Bytes(data, size), records);
    FUZZ_CHECK(!records.empty() && records[0].apply_id == L"kept");
    if (!ok)
        FUZZ_CHECK(records.size() == 1);
    for (const InvoiceRecord& r : records) {
        FUZZ_CHECK(r.create_time >= INT32_MIN && r.create_time <= INT32_MAX);
        FUZZ_CHECK(r.update_time >= INT32_MIN && r.update_time <= INT32_MAX);
    }
    return 0;
}

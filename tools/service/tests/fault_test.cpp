#include <gtest/gtest.h>

#include "fault.h"

namespace {
const std::string kAnswer =
    "{\"code\":200,\"data\":[{\"KeyNo\":\"6c75\",\"Name\":\"\xC9\xCF\xBA\xA3\"},{\"KeyNo\":\"7a\",\"Name\":\"b\"}],"
    "\"msg\":\"ok\"}";
}

// Every mutation damages the answer, and a seed gives the same bytes every time,
// so a client test that meets a fault meets it again on the next run.
TEST(mutate, each_kind_damages_the_answer_and_repeats_with_its_seed) {
  for (const char *name : {"cut", "flip", "deep", "bignum", "gbklead", "nul", "huge", "dupkeys"}) {
    SCOPED_TRACE(name);
    MutationKind kind;
    ASSERT_TRUE(ParseMutationKind(name, kind));
    const std::string once = MutateAnswer(kAnswer, kind, 13);
    EXPECT_NE(kAnswer, once);
    EXPECT_EQ(once, MutateAnswer(kAnswer, kind, 13));
  }
  MutationKind kind;
  EXPECT_FALSE(ParseMutationKind("melt", kind));
}

TEST(mutate, shapes_that_matter) {
  EXPECT_LT(MutateAnswer(kAnswer, MutationKind::Cut, 5).size(), kAnswer.size());
  EXPECT_NE(std::string::npos,
            MutateAnswer(kAnswer, MutationKind::Deep, 1).find(std::string(20000, '[')));
  EXPECT_GE(MutateAnswer(kAnswer, MutationKind::Huge, 1).size(), kAnswer.size() + 400 * 1024);
  EXPECT_NE(std::string::npos,
            MutateAnswer(kAnswer, MutationKind::BigNum, 1).find("\"KeyNo\":1e999,"));
  EXPECT_NE(std::string::npos,
            MutateAnswer(kAnswer, MutationKind::Nul, 1).find(std::string("\0\"", 2)));
  EXPECT_NE(std::string::npos, MutateAnswer(kAnswer, MutationKind::GbkLead, 1).find("\x81\","));
}

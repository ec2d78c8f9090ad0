#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "startup/report.h"

namespace {
std::string lastText;
void capture(const char*, const char* text) { lastText = text; }
}  // namespace

TEST(Report, LongTextIsCutAt1023Characters) {
    setReporter(capture);
    const std::string longName(3000, 'x');
    report("Error:", "name %s", longName.c_str());
    setReporter(nullptr);
    EXPECT_EQ(1023u, lastText.size());
    EXPECT_EQ(0, std::strncmp(lastText.c_str(), "name xxx", 8));
}

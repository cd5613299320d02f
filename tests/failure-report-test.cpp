#include "failure-report.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Report(const char* message, std::uintptr_t offset = 0x1A2B) {
  char buffer[256];
  const std::size_t length = FormatFailureReport(buffer, sizeof buffer, "EOutOfMemory", "Quintrel", offset, message);
  EXPECT_EQ(length, std::char_traits<char>::length(buffer));
  return std::string(buffer, length);
}

TEST(FailureReport, HasTheLastChanceLayout) {
  EXPECT_EQ(Report("Out of memory"), "Exception EOutOfMemory in module Quintrel at 00001A2B.\r\nOut of memory.\r\n\r\n");
  EXPECT_EQ(Report("Out of memory", 0xDEADBEEF), "Exception EOutOfMemory in module Quintrel at DEADBEEF.\r\nOut of memory.\r\n\r\n");
}

TEST(FailureReport, AddsAFullStopOnlyWhereOneIsMissing) {
  EXPECT_EQ(Report("Done."), "Exception EOutOfMemory in module Quintrel at 00001A2B.\r\nDone.\r\n\r\n");
  EXPECT_EQ(Report(""), "Exception EOutOfMemory in module Quintrel at 00001A2B.\r\n\r\n\r\n");
}

TEST(FailureReport, TruncatesToTheBuffer) {
  char buffer[16];
  const std::size_t length = FormatFailureReport(buffer, sizeof buffer, "EOutOfMemory", "Quintrel", 1, "Out of memory");
  EXPECT_EQ(length, 15u);
  EXPECT_EQ(std::string(buffer), "Exception EOutO");
}

}  // namespace

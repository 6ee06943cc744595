#include "convert/encode_settings.h"

#include <gtest/gtest.h>

TEST(ParseQuality, TakesLameScaleAndMp3RatesOnly) {
  const struct {
    const char* given;
    const char* name;  // null: refused
  } cases[] = {
      {"V0", "V0"},        {"v2", "V2"},     {"9", "V9"},        {"320k", "CBR320"}, {"CBR128", "CBR128"},
      {"cbr32", "CBR32"},  {"V10", nullptr}, {"-1", nullptr},    {"300k", nullptr},  {"k", nullptr},
      {"", nullptr},       {"CBR", nullptr}, {"1280k", nullptr}, {"V", nullptr},     {"2.5", nullptr},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.given);
    EncodeSettings settings;
    std::string error;
    const bool taken = ParseQuality(row.given, &settings, &error);
    EXPECT_EQ(taken, row.name != nullptr);
    if (taken)
      EXPECT_EQ(settings.Name(), row.name);
    else
      EXPECT_NE(error.find(row.given), std::string::npos) << error;
  }
}

TEST(ParseQuality, DefaultIsHighQualityVariableRate) { EXPECT_EQ(EncodeSettings().Name(), "V2"); }

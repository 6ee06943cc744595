#include "core/map_result.h"

#include <gtest/gtest.h>

#include "host_sdk/ipp_result_codes.h"

namespace {

struct MappingRow {
  DWORD platform;
  DWORD host;
};

// Every row of the translation table, with both ends of each range.
const MappingRow kRows[] = {
    {0x00000000u, 0x00000000u}, {0x00000001u, 0x00000001u}, {0x00040001u, 0x00040001u},
    {0x80040010u, 0x80040010u}, {0x80040011u, 0x80040011u}, {0x80040012u, 0x80040012u},
    {0x80040013u, 0x80040013u}, {0x80040014u, 0x80040014u}, {0x80040015u, 0x80040015u},
    {0x80040016u, 0x80040016u}, {0x80040017u, 0x80040017u}, {0x80040018u, 0x80040018u},
    {0x80004001u, 0x80040010u}, {0x8000000Au, 0x00040001u}, {0x8001010Du, 0x00040001u},
    {0x80045000u, 0x00040001u}, {0x80045001u, 0x80040019u}, {0x80045004u, 0x80040010u},
    {0x80045005u, 0x80040014u}, {0x80045006u, 0x80040014u}, {0x8004500Fu, 0x80040014u},
    {0x80045012u, 0x80040014u}, {0x8004500Bu, 0x00000000u}, {0x80070002u, 0x80040015u},
    {0x80070003u, 0x80040015u}, {0x80070490u, 0x80040015u}, {0x80070027u, 0x80040011u},
    {0x80070070u, 0x80040011u}, {0x80070050u, 0x80040016u}, {0x800700B7u, 0x80040016u},
    {0x80070052u, 0x8004001Cu},
    // Everything else is a general failure, neighbours of the listed codes included.
    {0x80004005u, 0x80040012u}, {0x80045002u, 0x80040012u}, {0x80045003u, 0x80040012u},
    {0x80045007u, 0x80040012u}, {0x80045008u, 0x80040012u}, {0x80045009u, 0x80040012u},
    {0x8004500Au, 0x80040012u}, {0x8004500Cu, 0x80040012u}, {0x8004500Du, 0x80040012u},
    {0x8004500Eu, 0x80040012u}, {0x80045010u, 0x80040012u}, {0x80045011u, 0x80040012u},
    {0x80045013u, 0x80040012u}, {0x8004000Fu, 0x80040012u}, {0x80040019u, 0x80040012u},
    {0x8004001Cu, 0x80040012u}, {0x80070057u, 0x80040012u}, {0x8007000Eu, 0x80040012u},
    {0x00000002u, 0x80040012u}, {0x00045001u, 0x80040012u}, {0x00040002u, 0x80040012u},
};

TEST(MapResult, TranslatesEveryRowOfTheTable) {
  for (const MappingRow& row : kRows) {
    SCOPED_TRACE(testing::Message() << std::hex << "platform 0x" << row.platform);
    EXPECT_EQ(static_cast<DWORD>(MapResult(static_cast<HRESULT>(row.platform))), row.host);
  }
}

TEST(MapResult, AlwaysAnswersAHostCode) {
  // Whatever comes in, the host sees success, busy or one of its own failures.
  for (DWORD code = 0x80045000u; code <= 0x80045020u; ++code) {
    const DWORD mapped = static_cast<DWORD>(MapResult(static_cast<HRESULT>(code)));
    const bool hostCode = mapped == 0 || mapped == 0x00040001u || (mapped >= 0x80040010u && mapped <= 0x8004001Cu);
    EXPECT_TRUE(hostCode) << std::hex << code << " -> " << mapped;
  }
}

}  // namespace

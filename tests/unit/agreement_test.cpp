#include "ui/agreement.h"

#include <gtest/gtest.h>

#include <cstring>

#include "archive/crc32.h"

namespace {

// The CRC-32 of the text as written, taken once: any change of wording,
// spacing or line ends shows, and an intended edit takes a new digest.
TEST(AgreementText, IsTheTextAsWritten) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(AgreementText);
    EXPECT_EQ(Crc32(text, std::strlen(AgreementText)), 0xB6172C98u);
}

}  // namespace

// The order of names: where two names part after a common beginning, what is
// compared there is the whole digit run or the whole character the parting
// byte belongs to, whatever the length of what they share.

#include "shell32/NaturalOrder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

struct OrderRow {
    std::string a;
    std::string b;
    int order;        // with the tie broken by bytes
    int orderIgnored; // without it
};

const OrderRow kOrderRows[] = {
    {"same", "same", 0, 0},
    {"abc", "abcd", -1, -1},
    {"a", "B", -1, -1},
    {"A", "b", -1, -1},
    {"A", "a", -1, 0},
    // Digit runs by value where the names part inside the run.
    {"file123", "file124", -1, -1},
    {"file10", "file9", 1, 1},
    {"file19", "file100", -1, -1},
    {"file12", "file123", -1, -1},
    {"file0012", "file12", -1, 0},
    {"report-2024-11.txt", "report-2024-9.txt", 1, 1},
    {"photo_000123456", "photo_00012346", 1, 1},
    {"abcdefghij1", "abcdefghij2", -1, -1},
    // A digit run orders as '0' against other characters.
    {"a1", "a-", 1, 1},
    {"a1", "a_", -1, -1},
    // Case after a long shared beginning.
    {"quarterly summary A.txt", "quarterly summary a.txt", -1, 0},
    {"quarterly summary B.txt", "quarterly summary a.txt", 1, 1},
    // The names part inside a character of two bytes: the whole character
    // is compared, folded.
    {"caf\xc3\xa9", "caf\xc3\x89x", -1, -1},
    {"\xd0\x96"
     "b",
     "\xd0\xb6"
     "a",
     1, 1},
    {"\xd0\x96", "\xd0\xb6", -1, 0},
    {"long shared \xc3\xa9t\xc3\xa9 2", "long shared \xc3\x89T\xc3\x89 10", -1, -1},
    {"\xd0\xb4\xd0\xb0\xd0\xbd\xd0\xbd\xd1\x8b\xd0\xb5"
     "5",
     "\xd0\x94\xd0\xb0\xd0\xbd\xd0\xbd\xd1\x8b\xd0\xb5 7", 1, 1},
    {"\xe5\x86\x99\xe7\x9c\x9f"
     "1",
     "\xe5\x86\x99\xe7\x9c\x9f"
     "a",
     -1, -1},
    {"\xe7\x9c\x9f", "\xe7\x9c\x9e", 1, 1},
    {"\xf0\x9f\x98\x80 smile", "\xf0\x9f\x98\x81 grin", -1, -1},
    // Bytes that start a character but do not finish it: the first is
    // a character of its own, read again where the names part.
    {"\xe7\x9c"
     "A",
     "\xe7\x9c\x9e", 1, 1},
    {"\xf0\x9f\x98"
     "\xc3\xa9",
     "\xf0\x9f\x98\x80", -1, -1},
    // Invalid bytes are characters of their own (U+DC80 and up, after the
    // letters of most scripts), even where a valid one shares their first byte.
    {"x\xff", "x\xfe", 1, 1},
    {"x\xc3", "x\xc3\xa9", 1, 1},
    {"x\xc3"
     "a",
     "x\xc3\xa9", 1, 1},
};

} // namespace

TEST(NaturalOrder, NamesPartingAnywhereCompareAsWholeRunsAndCharacters)
{
    for (const OrderRow& row : kOrderRows) {
        EXPECT_EQ(Sign(shell32::CompareNamesNatural(row.a, row.b)), row.order) << row.a << " | " << row.b;
        EXPECT_EQ(Sign(shell32::CompareNamesNatural(row.b, row.a)), -row.order) << row.a << " | " << row.b;
        EXPECT_EQ(Sign(shell32::CompareNamesNatural(row.a, row.b, false)), row.orderIgnored)
            << row.a << " | " << row.b;
        EXPECT_EQ(Sign(shell32::CompareNamesNatural(row.b, row.a, false)), -row.orderIgnored)
            << row.a << " | " << row.b;
    }
}

// The refused items as the operator reads them: one line per kind and status, runs of numbers.
#include <gtest/gtest.h>

#include "unit/refused_items.h"
#include "unit/unit_status.h"

using namespace Qt::StringLiterals;
using zelapp::RefusedItems;

TEST(RefusedItems, OneLinePerKindAndStatusWithRunsOfNumbers) {
    RefusedItems refused;
    EXPECT_TRUE(refused.lines().isEmpty());
    for (int ch : {10, 9, 12, 13, 14, 20}) {
        refused.add(RefusedItems::Item::Channel, ch, 10);
    }
    refused.add(RefusedItems::Item::Channel, 3, 18);
    refused.add(RefusedItems::Item::Probe, 9, 15);
    refused.add(RefusedItems::Item::Analog, 2, 15);
    refused.add(RefusedItems::Item::Analog, 3, 15);
    refused.add(RefusedItems::Item::Probe, 9, 11);  // the later status replaces the earlier
    EXPECT_EQ(refused.lines(),
              (QStringList{u"Channels 9 to 10, 12 to 14, 20: Bad channel number"_s,
                           u"Channel 3: Bad symbol"_s, u"Probe 9: Unknown error:0000000B"_s,
                           u"Analog inputs 2 to 3: Bad probe number"_s}));
}

TEST(UnitStatusText, TheLibrarysWordsForEachStatus) {
    EXPECT_EQ(zelapp::unitStatusText(10), u"Bad channel number"_s);
    EXPECT_EQ(zelapp::unitStatusText(22), u"Bad formula"_s);
    EXPECT_EQ(zelapp::unitStatusText(23), u"Bad set in GOR or LOR function"_s);
    EXPECT_EQ(zelapp::unitStatusText(254), u"Unknown error:000000FE"_s);
    EXPECT_EQ(zelapp::unitStatusText(-1), u"ZEL-8 not communicating"_s);
}

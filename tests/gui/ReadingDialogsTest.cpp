// The dialogs that say how to read a recording: the question of the rate to show it at (what it
// offers, the samples each choice makes, the rate it answers), and File > Open with options.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <tuple>

#include "OpenOptionsDialog.h"
#include "RateDialog.h"

namespace sevrana {
namespace {

TEST(RateDialog, OffersTheHighestAndTheMedianRateAndAnyWholeRate)
{
    RateOffer offer;
    offer.ratesFound = {600, 4800};
    offer.highest = 4800;
    offer.samplesAtHighest = 9601;
    offer.median = 1000;
    offer.samplesAtMedian = 2001;
    offer.seconds = 2;
    RateDialog dialog(offer);
    EXPECT_EQ(dialog.windowTitle(), "Sevrana");
    EXPECT_EQ(dialog.Question->text(), "This recording has several sampling rates (600 Hz, 4800 Hz).\nShow it at:");
    EXPECT_EQ(dialog.Highest->text(), "The highest rate, 4800 Hz (9601 samples)");
    EXPECT_EQ(dialog.Median->text(), "The rate of the median time stamp spacing, 1000 Hz (2001 samples)");
    EXPECT_TRUE(dialog.Highest->isChecked());
    EXPECT_EQ(dialog.Rate(), 4800);
    dialog.Median->setChecked(true);
    EXPECT_EQ(dialog.Rate(), 1000);
    // Typing another rate chooses it, and says what it makes of the two seconds.
    dialog.OtherRate->setValue(250);
    EXPECT_TRUE(dialog.Other->isChecked());
    EXPECT_EQ(dialog.OtherSamples->text(), "(501 samples)");
    EXPECT_EQ(dialog.Rate(), 250);
}

TEST(RateDialog, UnevenStampsOnlyOfferTheirMedianSpacing)
{
    RateOffer offer;
    offer.median = 1234.5;
    offer.samplesAtMedian = 124;
    offer.seconds = 0.1;
    RateDialog dialog(offer);
    dialog.show();
    EXPECT_EQ(dialog.Question->text(), "The time stamps of this recording are not evenly spaced.\nShow it at:");
    EXPECT_FALSE(dialog.Highest->isVisible());
    EXPECT_TRUE(dialog.Median->isChecked());
    EXPECT_EQ(dialog.Median->text(), "The rate of the median time stamp spacing, 1234.5 Hz (124 samples)");
    EXPECT_EQ(dialog.OtherRate->value(), 1235);  // the suggestion is whole
    EXPECT_EQ(dialog.Rate(), 1234.5);
    dialog.OtherRate->setValue(10);
    EXPECT_EQ(dialog.OtherSamples->text(), "(2 samples)");

    // One rate beyond what the viewer holds is a question of its own.
    offer.ratesFound = {3e9};
    offer.highest = 3e9;
    EXPECT_EQ(RateDialog(offer).Question->text(),
              "The sampling rate of this recording (3000000000 Hz) is more than can be shown.\nShow it at:");
}

TEST(OpenOptionsDialog, GivesTheRateTheValuesAndTheCodePageChosen)
{
    OpenOptionsDialog dialog;
    OpenOptions o = dialog.Options();
    EXPECT_EQ(std::tuple(o.rate, o.quantity, o.encoding),
              std::tuple(std::optional<double>(), OpenOptions::Values::AsRecorded, QString()));
    EXPECT_FALSE(dialog.Rate->isEnabled());
    dialog.Resample->setChecked(true);
    EXPECT_TRUE(dialog.Rate->isEnabled());
    dialog.Rate->setValue(2500);
    dialog.Secondary->setChecked(true);
    dialog.Encoding->setCurrentText(QStringLiteral("KOI8-R"));
    o = dialog.Options();
    EXPECT_EQ(std::tuple(o.rate, o.quantity, o.encoding),
              std::tuple(std::optional<double>(2500), OpenOptions::Values::Secondary, QString("KOI8-R")));
}

}  // namespace
}  // namespace sevrana

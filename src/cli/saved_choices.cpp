#include "cli/saved_choices.h"

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"

#include <QString>

namespace lectorix::cli {

namespace {

int savedSliderValue(const QString& key, int firstStartValue, int low, int high)
{
    try {
        const int value =
            convert::roundHalfEven(convert::leadingNumber(readSetting(key, firstStartValue)));
        if (value >= low && value <= high)
            return value;
    } catch (...) {
        // An unreadable or overflowing value: the first-start choice below.
    }
    return firstStartValue;
}

} // namespace

int savedVolume()
{
    return savedSliderValue(keys::Volume, FirstStartVolume, 0, 100);
}

int savedRate()
{
    return savedSliderValue(keys::Rate, FirstStartRate, -10, 10);
}

int savedVoiceIndex(int voiceCount)
{
    double stored = 0;
    try {
        stored = convert::leadingNumber(readSetting(keys::Voice, 0));
    } catch (...) {
        return -1;
    }
    // Compared before rounding, so that no stored number can overflow the rounding.
    if (!(stored < voiceCount) || !(stored > -1.5))
        return -1;
    const int index = convert::roundHalfEven(stored);
    return index < voiceCount ? index : -1;
}

} // namespace lectorix::cli

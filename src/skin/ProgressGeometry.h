#pragma once

#include <QRect>
#include <QString>

// The two parts of a progress fill: `half` pixels from the fill image's left edge, then
// `filled - half` pixels from its right end, so both end caps show at every length.
struct ProgressFill
{
    int filled = 0;
    int half = 0;
};

// The fill for `position` of the range lower..upper over a fill `fillWidth` wide; nothing
// for an empty or reversed range, never more than the whole fill.
ProgressFill ProgressFillFor(int fillWidth, int lower, int upper, int position);

// The percentage text ("37%"); "0%" for an empty range.
QString ProgressPercentText(int lower, int upper, int position);

// The fill rectangle centred in a bar of `bar` size.
QRect CentredFillRect(QSize bar, QSize fill);

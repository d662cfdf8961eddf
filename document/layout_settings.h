// The two layout settings: the document's point size and the word-wrap choice.
#pragma once

extern int PointSize;       // the point size negated (-32 is 32 points)
extern int WordWrapChoice;  // command id of the checked Word Wrap item

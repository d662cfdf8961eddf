// The two layout settings: the document's point size and the word-wrap choice.
#include "document/layout_settings.h"

#include "resources/command_ids.h"

int PointSize = -32;
int WordWrapChoice = IDM_WORD_WRAP_YES;

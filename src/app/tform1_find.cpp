// The in-page find after a page has loaded in search mode.
#include "tform1.h"

void TForm1::FindInPage(const QString& /*context*/, bool /*matchCase*/) {}

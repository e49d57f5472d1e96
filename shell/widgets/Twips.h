#pragma once

namespace tabulant::shell {

// Window positions are designed in twips (1/1440 inch); these give pixels at the primary screen's
// logical resolution (96 dots per inch when there is no screen).
double LogicalDpi();
int TwipsToPixels(int twips);
int TwipsToPixels(int twips, double dpi);

} // namespace tabulant::shell

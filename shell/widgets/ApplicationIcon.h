#pragma once

#include <QIcon>

namespace tabulant::shell {

// The program's icon, built into the library; every window carries it.
QIcon ApplicationIcon();

} // namespace tabulant::shell

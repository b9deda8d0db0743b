#pragma once

namespace lectorix {
class MainWindow;

void chooseOutputFolder(MainWindow& form); // "..." beside the output folder

} // namespace lectorix

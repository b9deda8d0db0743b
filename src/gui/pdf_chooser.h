#pragma once

namespace lectorix {
class MainWindow;

void choosePdf(MainWindow& form); // "..." beside the PDF path

} // namespace lectorix

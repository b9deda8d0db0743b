// Must not build: the core links Qt Core only.
#include <QtWidgets/QWidget>

int probe()
{
    return sizeof(QWidget);
}

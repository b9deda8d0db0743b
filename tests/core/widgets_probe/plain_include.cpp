// Must not build: the core links Qt Core only.
#include <QWidget>

int probe()
{
    return sizeof(QWidget);
}

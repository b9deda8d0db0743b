// Found before Qt's own header when code of the core includes Qt Widgets or Qt Gui.
#error "The core links Qt Core only: window code belongs in src/gui."

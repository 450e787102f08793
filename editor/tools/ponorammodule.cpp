#include "editor/tools/ponorammodule.h"

PonoramModule::PonoramModule(QObject *parent) : GraphModule(QStringLiteral("Ponoram"), parent) {}

void PonoramModule::beginPaintItem(PPainterArea *, QPoint) {}
void PonoramModule::paintItem(PPainterArea *, QPoint) {}
void PonoramModule::endPaintItem(PPainterArea *, QPoint) {}

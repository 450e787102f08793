#include "editor/tools/idlemodule.h"

IdleModule::IdleModule(const QString &name, QObject *parent) : GraphModule(name, parent) {}

void IdleModule::beginPaintItem(PPainterArea *, QPoint) {}

void IdleModule::paintItem(PPainterArea *, QPoint) {}

void IdleModule::endPaintItem(PPainterArea *, QPoint) {}

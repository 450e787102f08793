#include "editor/tools/ellipsemodule.h"

#include "editor/items/ellipseitem.h"
#include "editor/ppainterarea.h"

EllipseModule::EllipseModule(QObject *parent) : RectModule(QStringLiteral("Ellipse"), parent) {}

RectItem *EllipseModule::createItem(PPainterArea *area) { return new EllipseItem(area); }

#include "editor/tools/markermodule.h"

#include "editor/items/markeritem.h"
#include "editor/ppainterarea.h"

MarkerModule::MarkerModule(QObject *parent) : PenModule(QStringLiteral("Marker"), parent) {}

PenItem *MarkerModule::createItem(PPainterArea *area) { return new MarkerItem(area); }

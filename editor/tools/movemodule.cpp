#include "editor/tools/movemodule.h"
#include "editor/editorlog.h"

#include <QDebug>

MoveModule::MoveModule(QObject *parent) : GraphModule(QStringLiteral("Move"), parent) {}

void MoveModule::beginPaintItem(PPainterArea *, QPoint) {}

void MoveModule::paintItem(PPainterArea *, QPoint) {}

void MoveModule::endPaintItem(PPainterArea *, QPoint) { qCDebug(pryx::lcEditor) << Q_FUNC_INFO; }

#include "editor/tools/movemodule.h"

#include <QDebug>

MoveModule::MoveModule(QObject *parent) : GraphModule(QStringLiteral("Move"), parent) {}

void MoveModule::beginPaintItem(PPainterArea *, QPoint) {}

void MoveModule::paintItem(PPainterArea *, QPoint) { qDebug() << Q_FUNC_INFO; }

void MoveModule::endPaintItem(PPainterArea *, QPoint) { qDebug() << Q_FUNC_INFO; }

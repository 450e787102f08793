// Text tool: typing and caret moves, selection and clipboard, line wrap,
// the substrate, the callout arrow that follows the box, resizing by the
// handles, and undo of moves.

#include <QtTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QUndoStack>

#include <cmath>

#include "editor/items/arrowitem.h"
#include "editor/items/textitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

namespace {
QList<TextItem *> texts(Scene &scene)
{
    QList<TextItem *> out;
    for (AbstractGraphItem *item : scene.items())
        if (auto *text = qobject_cast<TextItem *>(item))
            out.append(text);
    return out;
}

TextItem *clickText(Scene &scene, QPoint p)
{
    if (!scene.area->isCurrentModule("Text"))
        scene.area->setCurrentModule("Text");
    scene.press(p);
    scene.release(p);
    const auto all = texts(scene);
    return all.isEmpty() ? nullptr : all.last();
}

// Types a script: plain characters as they are, {Key} and {S+Key}/{C+Key}
// for named keys with Shift or Ctrl.
void type(Scene &scene, const QString &script)
{
    static const QHash<QString, Qt::Key> names = {
        {"Left", Qt::Key_Left},   {"Right", Qt::Key_Right},         {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},   {"Home", Qt::Key_Home},           {"End", Qt::Key_End},
        {"BS", Qt::Key_Backspace}, {"Del", Qt::Key_Delete},         {"Enter", Qt::Key_Return},
        {"PgUp", Qt::Key_PageUp}, {"PgDn", Qt::Key_PageDown},       {"F1", Qt::Key_F1},
        {"Shift", Qt::Key_Shift}, {"Esc", Qt::Key_Escape},          {"A", Qt::Key_A},
        {"C", Qt::Key_C},         {"V", Qt::Key_V},                 {"a", Qt::Key_A},
    };
    for (int i = 0; i < script.size(); ++i) {
        if (script.at(i) == '{') {
            const int close = script.indexOf('}', i);
            QString name = script.mid(i + 1, close - i - 1);
            i = close;
            Qt::KeyboardModifiers mods;
            if (name.startsWith("S+")) {
                mods = Qt::ShiftModifier;
                name = name.mid(2);
            } else if (name.startsWith("C+")) {
                mods = Qt::ControlModifier;
                name = name.mid(2);
            }
            QVERIFY2(names.contains(name), qPrintable(name));
            const Qt::Key key = names.value(name);
            QString text;
            if (key == Qt::Key_A && !(mods & Qt::ControlModifier))
                text = mods & Qt::ShiftModifier ? "A" : "a";
            QTest::sendKeyEvent(QTest::Click, &scene.window, key, text, mods);
        } else {
            const QChar c = script.at(i);
            const Qt::Key key = c.isLetter() && c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key(0);
            QTest::sendKeyEvent(QTest::Click, &scene.window, key, QString(c), Qt::NoModifier);
        }
    }
}

bool near(QColor a, QColor b, int tolerance = 40)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}
} // namespace

class TestTextItem : public QObject
{
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->setText("keep"); }

    void clickOpensABox()
    {
        Scene scene;
        QVERIFY(scene.exposed);
        TextItem *text = clickText(scene, QPoint(100, 150));
        QVERIFY(text);
        QCOMPARE(texts(scene).size(), 1);
        QCOMPARE(scene.area->undoStack()->count(), 1);
        QVERIFY(!text->arrow());
        QVERIFY(!text->isEditingOff());
        const QRectF r = text->textRect();
        QCOMPARE(r.x(), 100.0);
        QVERIFY(std::fabs(r.bottom() - 159) < 1e-3);
        QCOMPARE(r.width(), text->textWidth());
        QCOMPARE(r.height(), text->textHeight());
        QCOMPARE(QRectF(text->x(), text->y(), text->width(), text->height()), r.adjusted(-5, -5, 5, 5));
        QCOMPARE(text->keyPositions().size(), 5);
        QCOMPARE(scene.area->currentItem(), text);
        // A width change re-anchors nothing on a text without an arrow.
        text->setLineWidth(10);
        QCOMPARE(text->fontSize(), 10 * 0.7 + 12);
        text->move(text->x() + 10, text->y());
        QVERIFY(!text->isArrowGliding());
    }

    void typing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("caret");
        QTest::newRow("letters") << "abc" << "abc" << QPoint(3, 0);
        QTest::newRow("shift capital") << "{S+a}b" << "Ab" << QPoint(2, 0);
        QTest::newRow("cyrillic") << QString::fromUtf8("жук") << QString::fromUtf8("жук") << QPoint(3, 0);
        QTest::newRow("backspace at start") << "ab{Home}{BS}" << "ab" << QPoint(0, 0);
        QTest::newRow("backspace") << "abc{Left}{BS}" << "ac" << QPoint(1, 0);
        QTest::newRow("backspace joins lines") << "a{Enter}b{Home}{BS}" << "ab" << QPoint(1, 0);
        QTest::newRow("delete at end") << "ab{Del}" << "ab" << QPoint(2, 0);
        QTest::newRow("delete") << "abc{Home}{Del}" << "bc" << QPoint(0, 0);
        QTest::newRow("enter") << "ab{Enter}c" << "ab\nc" << QPoint(1, 1);
        QTest::newRow("home end") << "abc{Home}x{End}y" << "xabcy" << QPoint(5, 0);
        QTest::newRow("left wraps to previous line") << "ab{Enter}{Left}x" << "abx\n" << QPoint(3, 0);
        QTest::newRow("right wraps to next line") << "ab{Enter}c{PgUp}{End}{Right}x" << "ab\nxc" << QPoint(1, 1);
        QTest::newRow("left at start stays") << "{Left}{Left}a" << "a" << QPoint(1, 0);
        QTest::newRow("right at end stays") << "ab{Right}c" << "abc" << QPoint(3, 0);
        QTest::newRow("up clamps the column") << "a{Enter}bcd{Up}x" << "ax\nbcd" << QPoint(2, 0);
        QTest::newRow("down on last line") << "ab{Down}c" << "abc" << QPoint(3, 0);
        QTest::newRow("page down") << "a{Enter}bc{PgUp}{PgDn}x" << "a\nbcx" << QPoint(3, 1);
        QTest::newRow("shift left selects, backspace removes")
            << "abcd{S+Left}{S+Left}{BS}" << "ab" << QPoint(2, 0);
        QTest::newRow("shift right selects, delete removes") << "abcd{Home}{S+Right}{Del}" << "bcd" << QPoint(0, 0);
        QTest::newRow("selection over lines") << "ab{Enter}cd{Left}{S+Up}{Del}" << "ad" << QPoint(1, 0);
        QTest::newRow("shift up keeps column within a shorter line")
            << "a{Enter}bcd{S+Up}{BS}" << "a" << QPoint(1, 0);
        QTest::newRow("shift down keeps column within a shorter line")
            << "abc{Enter}d{PgUp}{End}{S+Down}x" << "abc\ndx" << QPoint(2, 1);
        QTest::newRow("ctrl right and left by words")
            << "ab cd ef{Home}{C+Right}x{End}{C+Left}y" << "ab xcd yef" << QPoint(8, 0);
        QTest::newRow("keys that insert nothing") << "ab{F1}{Shift}{S+Home}{Esc}c" << "abc" << QPoint(3, 0);
        QTest::newRow("ctrl a then backspace") << "ab{Enter}cd{C+A}{BS}x" << "x" << QPoint(1, 0);
    }

    void typing()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QFETCH(QPoint, caret);
        Scene scene;
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        QVERIFY(item->hasActiveFocus());
        type(scene, script);
        QCOMPARE(item->text(), text);
        QCOMPARE(QPoint(item->caretColumn(), item->caretLine()), caret);
        QCOMPARE(item->lines().size(), text.count('\n') + 1);
    }

    void enterGrowsDownwardsTypingKeepsTheBottom()
    {
        Scene scene;
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        const QRectF start = item->textRect();
        type(scene, "abc");
        QVERIFY(std::fabs(item->textRect().bottom() - start.bottom()) < 1e-3);
        QVERIFY(item->textRect().width() > start.width());
        const double top = item->textRect().top();
        type(scene, "{Enter}");
        QCOMPARE(item->textRect().top(), top);
        QVERIFY(item->textRect().bottom() > start.bottom() + 10);
    }

    void wrapAtTheSelectionEdge()
    {
        Scene scene;
        scene.area->setSelectRect(QRectF(0, 0, 160, 300));
        TextItem *item = clickText(scene, QPoint(100, 150));
        QVERIFY(item);
        const double bottom = item->textRect().bottom();
        QString typed;
        while (!item->text().contains('\n') && typed.size() < 40) {
            type(scene, "w");
            typed += 'w';
        }
        QVERIFY2(item->text().contains('\n'), qPrintable(item->text()));
        // The last character went to the new line; the box grew upwards.
        QCOMPARE(item->text(), typed.left(typed.size() - 1) + "\nw");
        QCOMPARE(QPoint(item->caretColumn(), item->caretLine()), QPoint(1, 1));
        QVERIFY(std::fabs(item->textRect().bottom() - bottom) < 1e-3);
        QCOMPARE(item->lines().size(), 2);
        // Moving the caret in a box past the edge inserts nothing.
        type(scene, "{Home}{Up}{Left}{F1}");
        QCOMPARE(item->text(), typed.left(typed.size() - 1) + "\nw");
    }

    // A box that already reaches past the limit: keys that insert nothing
    // leave text and box alone; a character typed at the end wraps once.
    void keysInABoxPastTheEdge_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("home") << "{Home}";
        QTest::newRow("left") << "{Left}";
        QTest::newRow("right") << "{Right}";
        QTest::newRow("up and down") << "{Up}{Down}";
        QTest::newRow("end") << "{End}";
        QTest::newRow("shift") << "{Shift}";
        QTest::newRow("shift left") << "{S+Left}";
        QTest::newRow("f1") << "{F1}";
        QTest::newRow("all of them") << "{Home}{Right}{Right}{Right}{Left}{Up}{Down}{Shift}{S+Right}{F1}{End}";
    }

    void keysInABoxPastTheEdge()
    {
        QFETCH(QString, keys);
        Scene scene;
        TextItem *item = clickText(scene, QPoint(100, 150));
        QVERIFY(item);
        type(scene, "abcdefghij");
        // The limit moves into the box.
        scene.area->setSelectRect(QRectF(0, 0, 130, 300));
        QVERIFY(item->x() + item->textWidth() > 129);
        const QRectF box = item->textRect();
        type(scene, keys);
        QCOMPARE(item->text(), QStringLiteral("abcdefghij"));
        QCOMPARE(item->lines().size(), 1);
        QCOMPARE(item->textRect(), box);
        // A character typed at the start would leave an empty line: it stays.
        type(scene, "{Home}k");
        QCOMPARE(item->text(), QStringLiteral("kabcdefghij"));
        type(scene, "{End}k");
        QCOMPARE(item->text(), QStringLiteral("kabcdefghij\nk"));
        QCOMPARE(QPoint(item->caretColumn(), item->caretLine()), QPoint(1, 1));
        QVERIFY(std::fabs(item->textRect().bottom() - box.bottom()) < 1e-3);
    }

    void copyAndPaste()
    {
        Scene scene;
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        type(scene, "one{Enter}two{S+Left}{S+Left}{S+Up}");
        QCOMPARE(item->selectedText(), QStringLiteral("ne\ntwo"));
        type(scene, "{C+C}");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ne\ntwo"));
        type(scene, "{PgDn}{C+V}");
        QCOMPARE(item->text(), QStringLiteral("one\ntwone\ntwo"));
        // The caret ends after the pasted text, on its last line.
        QCOMPARE(QPoint(item->caretColumn(), item->caretLine()), QPoint(3, 2));
        type(scene, "!");
        QCOMPARE(item->text(), QStringLiteral("one\ntwone\ntwo!"));
        // Copy with nothing selected keeps the clipboard.
        type(scene, "{C+C}");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ne\ntwo"));
        QVERIFY(item->selectedText().isNull());
    }

    void substrateAndTextPixels()
    {
        Scene scene(QSize(400, 300), Qt::black);
        scene.area->setCurrentSubstrate(true);
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        QVERIFY(item->substrate());
        type(scene, "WWW");
        scene.area->clearSelection();
        item->checkFlashing(false);
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        const QRect box = item->textRect().toRect();
        int white = 0, coloured = 0;
        for (int y = box.top() + 1; y < box.bottom(); ++y)
            for (int x = box.left() + 1; x < box.right(); ++x) {
                const QColor c = out.pixelColor(x, y);
                white += near(c, QColor(Qt::white), 30) ? 1 : 0;
                coloured += near(c, item->color(), 60) ? 1 : 0;
            }
        const int all = (box.width() - 2) * (box.height() - 2);
        QVERIFY2(white > all / 3, qPrintable(QString("%1 of %2").arg(white).arg(all)));
        QVERIFY(coloured > 10);
        QCOMPARE(out.pixelColor(box.left() - 10, box.center().y()), QColor(Qt::black));

        // Without the substrate the background shows between the letters.
        scene.area->setCurrentItem(item);
        scene.area->setCurrentSubstrate(false);
        QVERIFY(!item->substrate());
        const QImage plain = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QCOMPARE(plain.pixelColor(box.right() - 2, box.top() + 2), QColor(Qt::black));
    }

    // The finished image never shows the caret of the box being typed in.
    void renderAfterClearingHasNoCaret()
    {
        Scene scene(QSize(400, 300), Qt::black);
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        type(scene, "Hi");
        scene.area->clearSelection();
        QVERIFY(!item->isCaretVisible());
        const QImage first = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QTest::qWait(250);   // the caret blinks every 200 ms while editing
        const QImage later = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        item->checkFlashing(false);
        const QImage off = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QCOMPARE(first, off);
        QCOMPARE(later, off);
    }

    void calloutArrowFollowsTheBox()
    {
        Scene scene;
        scene.area->setCurrentModule("Text");
        scene.drag(QPoint(100, 250), QPoint(250, 100));
        TextItem *text = texts(scene).value(0);
        QVERIFY(text);
        ArrowItem *arrow = text->arrow();
        QVERIFY(arrow);
        QCOMPARE(arrow->textItem(), text);
        QVERIFY(!arrow->isReversed());
        QCOMPARE(arrow->lineWidth(), 2);
        QCOMPARE(arrow->line().p2(), QPointF(100, 250));
        QCOMPARE(arrow->keyPositions().size(), 1);
        // Arrow added at the first move, then the text.
        QCOMPARE(scene.area->undoStack()->count(), 2);

        // The tail settles on the corner nearest to the tip.
        text->checkFlashing(false);
        text->move(text->x(), text->y());
        QTRY_VERIFY(!text->isArrowGliding());
        const QRectF box = text->textRect();
        QCOMPARE(text->anchorPoint(), QPoint(int(box.left()), int(box.bottom())));
        QCOMPARE(arrow->line().p1(), QPointF(text->anchorPoint()));

        // Moving the text 120 px to the right: 50 px at the first tick, the
        // anchor exactly at the second.
        const QPointF tail = arrow->line().p1();
        text->move(text->x() + 120, text->y());
        const QPoint anchor = text->anchorPoint();
        QCOMPARE(QPointF(anchor), tail + QPointF(120, 0));
        QVERIFY(text->isArrowGliding());
        text->updateArrowItem();
        QCOMPARE(arrow->line().p1(), tail + QPointF(50, 0));
        QVERIFY(text->isArrowGliding());
        text->updateArrowItem();
        QVERIFY(!text->isArrowGliding());
        QCOMPARE(arrow->line().p1(), QPointF(anchor));
        QCOMPARE(arrow->line().p2(), QPointF(100, 250));

        // Dragging the tip re-anchors the tail.
        arrow->setLine(QPointF(anchor), QPointF(500, 50));
        emit arrow->positionChange();
        QTRY_VERIFY(!text->isArrowGliding());
        QCOMPARE(arrow->line().p2(), QPointF(500, 50));
        QVERIFY(arrow->line().p1().x() > anchor.x());
        arrow->resetLine();
        arrow->setLine(QPointF(anchor), QPointF(100, 250));
        emit arrow->positionChange();
        QTRY_VERIFY(!text->isArrowGliding());

        // Shift+Right moves the text 10 px; the tip stays, nothing snaps.
        scene.area->setCurrentModule("Move");
        scene.press(text->textRect().center().toPoint());
        scene.release(text->textRect().center().toPoint());
        QVERIFY(text->isChecked());
        QVERIFY(text->hasActiveFocus());
        const double x0 = text->x();
        scene.key(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(text->x(), x0 + 10);
        QTRY_VERIFY(!text->isArrowGliding());
        QCOMPARE(arrow->line().p2(), QPointF(100, 250));
        QCOMPARE(arrow->line().p1(), QPointF(text->anchorPoint()));

        // The arrow goes with the text's visibility and colour.
        text->setColor(Qt::darkGreen);
        QCOMPARE(arrow->color(), QColor(Qt::darkGreen));
        scene.key(Qt::Key_Delete);
        QVERIFY(!text->isVisible());
        QVERIFY(!arrow->isVisible());
        scene.area->checkUndo();
        QVERIFY(text->isVisible());
        QVERIFY(arrow->isVisible());
    }

    void draggingTheCalloutTipByMouse()
    {
        Scene scene;
        scene.area->setCurrentModule("Text");
        scene.drag(QPoint(60, 250), QPoint(250, 100));
        TextItem *text = texts(scene).value(0);
        QVERIFY(text && text->arrow());
        ArrowItem *arrow = text->arrow();
        scene.area->setCurrentModule("Move");
        QVERIFY(text->isChecked());
        QVERIFY(arrow->isChecked());
        QVERIFY(text->z() > arrow->z());
        const QPoint tip(60, 250);
        scene.move(tip + QPoint(-1, -1));
        scene.move(tip);
        QVERIFY(arrow->isOnKey());
        scene.press(tip);
        scene.move(QPoint(40, 270));
        scene.move(QPoint(20, 290));
        scene.release(QPoint(20, 290));
        QCOMPARE(arrow->line().p2(), QPointF(20, 290));
        QTRY_VERIFY(!text->isArrowGliding());
        QCOMPARE(arrow->line().p1(), QPointF(text->anchorPoint()));
        QCOMPARE(scene.area->undoStack()->text(scene.area->undoStack()->count() - 1), QStringLiteral("Line change"));
        scene.area->checkUndo();
        QCOMPARE(arrow->line().p2(), QPointF(60, 250));
    }

    void calloutReturningToItsPressPoint()
    {
        Scene scene;
        scene.area->setCurrentModule("Text");
        scene.press(QPoint(100, 100));
        scene.move(QPoint(150, 150));
        scene.move(QPoint(200, 160));
        scene.move(QPoint(100, 100));
        scene.release(QPoint(100, 100));
        TextItem *text = texts(scene).value(0);
        QVERIFY(text);
        QVERIFY(!text->arrow());
        QCOMPARE(text->textRect().x(), 100.0);
        ArrowItem *arrow = nullptr;
        for (AbstractGraphItem *item : scene.items())
            if ((arrow = qobject_cast<ArrowItem *>(item)))
                break;
        QVERIFY(arrow);
        QVERIFY(!arrow->textItem());
        QVERIFY(!arrow->isReversed());
        QCOMPARE(arrow->tip(), QPointF(100, 100));
        QCOMPARE(arrow->start(), QPointF(200, 160));
        QCOMPARE(arrow->line(), QLineF(200, 160, 100, 100));
    }

    void moveByMouseAndUndo()
    {
        Scene scene;
        TextItem *item = clickText(scene, QPoint(60, 150));
        QVERIFY(item);
        type(scene, "abc");
        scene.area->setCurrentModule("Move");
        const QPointF pos(item->x(), item->y());
        const QRectF rect = item->textRect();
        const QPoint from = rect.center().toPoint();
        scene.press(from);
        scene.move(from + QPoint(10, 5));
        scene.move(from + QPoint(30, 20));
        scene.release(from + QPoint(30, 20));
        QCOMPARE(QPointF(item->x(), item->y()), pos + QPointF(30, 20));
        QCOMPARE(item->textRect(), rect.translated(30, 20));
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), QStringLiteral("Move"));
        scene.area->checkUndo();
        QCOMPARE(QPointF(item->x(), item->y()), pos);
        QCOMPARE(item->textRect(), rect);
        scene.area->checkRedo();
        QCOMPARE(item->textRect(), rect.translated(30, 20));
        // Undo of the addition hides the typed text; redo brings it back.
        scene.area->checkUndo();
        scene.area->checkUndo();
        QVERIFY(!item->isVisible());
        scene.area->checkRedo();
        QVERIFY(item->isVisible());
        QCOMPARE(item->text(), QStringLiteral("abc"));
    }

    void resizeByHandleChangesTheFont_data()
    {
        QTest::addColumn<int>("handle");
        QTest::addColumn<QPoint>("step");
        QTest::addColumn<double>("size");
        QTest::newRow("bottom-right outwards") << 2 << QPoint(3, 3) << 13.5 + 3 * 0.4;
        QTest::newRow("top-left outwards") << 0 << QPoint(-3, -3) << 13.5 + 3 * 0.4;
        QTest::newRow("inwards stays at the minimum") << 2 << QPoint(-3, -3) << 13.5;
        QTest::newRow("outwards stops at the maximum") << 2 << QPoint(1, 1) << 24.8;
    }

    void resizeByHandleChangesTheFont()
    {
        QFETCH(int, handle);
        QFETCH(QPoint, step);
        QFETCH(double, size);
        Scene scene;
        scene.env.values.insert("widthTextLine", 2);
        TextItem *item = clickText(scene, QPoint(100, 150));
        QVERIFY(item);
        QCOMPARE(item->fontSize(), 13.5);
        type(scene, "Text");
        scene.area->setCurrentModule("Move");
        scene.press(item->textRect().center().toPoint());
        scene.release(item->textRect().center().toPoint());
        QVERIFY(item->isChecked());
        const QRectF before = item->textRect();
        const QPointF key = item->keyPositions().at(handle);
        QPoint at = (QPointF(item->x(), item->y()) + key).toPoint();
        scene.move(at + QPoint(-1, -1));
        scene.move(at);
        QVERIFY(item->isOnKey());
        scene.press(at);
        const int moves = size == 24.8 ? 40 : 3;
        for (int i = 0; i < moves; ++i) {
            at += step;
            scene.move(at);
        }
        scene.release(at);
        QVERIFY(std::fabs(item->fontSize() - size) < 1e-9);
        QCOMPARE(item->lineWidth(), int((item->fontSize() - 8) / 0.7));
        // The corner opposite the dragged one stays.
        if (handle == 2)
            QCOMPARE(item->textRect().topLeft(), before.topLeft());
        else
            QVERIFY(std::fabs(item->textRect().bottom() - before.bottom()) < 1e-3
                    && std::fabs(item->textRect().right() - before.right()) < 1e-3);
        // Clicks push a text change each (this one with no change).
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->count(), 3);
        scene.area->checkUndo();
        QCOMPARE(item->fontSize(), 13.5);
        QCOMPARE(item->textRect(), before);
    }

    void keysMoveTheBoxOnceEditingIsOff()
    {
        Scene scene;
        TextItem *first = clickText(scene, QPoint(60, 150));
        QVERIFY(first);
        type(scene, "ab");
        TextItem *second = clickText(scene, QPoint(200, 150));
        QVERIFY(second && second != first);
        QVERIFY(first->isEditingOff());
        QVERIFY(!second->isEditingOff());
        type(scene, "cd");
        QCOMPARE(first->text(), QStringLiteral("ab"));
        QCOMPARE(second->text(), QStringLiteral("cd"));

        scene.area->setCurrentModule("Move");
        const QPoint on = first->textRect().center().toPoint();
        scene.press(on);
        scene.release(on);
        QVERIFY(first->isChecked());
        QVERIFY(first->isEditingOff());
        const double x0 = first->x();
        scene.key(Qt::Key_Right);
        QCOMPARE(first->x(), x0 + 1);
        QCOMPARE(first->text(), QStringLiteral("ab"));
        // A double click resumes editing.
        const QPoint again = first->textRect().center().toPoint();
        QTest::mouseDClick(&scene.window, Qt::LeftButton, Qt::NoModifier, again);
        QVERIFY(!first->isEditingOff());
        type(scene, "{End}z");
        QCOMPARE(first->text(), QStringLiteral("abz"));
    }
};

QTEST_MAIN(TestTextItem)
#include "tst_textitem.moc"


#!/bin/sh
# Refreshes both translation files from the QML pages and the C++ sources.
# New texts arrive unfinished: write their Russian in pryx.ts; pryx_en.ts
# keeps the English source texts.
set -eu
cd "$(dirname "$0")/../.."
lupdate -silent -no-obsolete -locations none -I . \
  qml core capture editor network platform windows \
  -ts qml/translations/pryx.ts qml/translations/pryx_en.ts

#pragma once
// AES-256-GCM for the encrypted settings values. The stored form is the
// Base64 text of IV (12 bytes) | ciphertext | tag (16 bytes); the key is the
// SHA-256 of the UTF-8 pass phrase. Every failure gives the empty text.

#include <QByteArray>
#include <QString>

QString encryptString(QString text, QString passphrase);
QString decryptString(QString stored, QString passphrase);
QByteArray passphraseKey(QString passphrase);

namespace pryx {
// encryptString with a given IV (12 bytes) instead of a random one; for
// known-answer tests only.
QString encryptStringWithIv(const QString &text, const QString &passphrase, const QByteArray &iv);
} // namespace pryx

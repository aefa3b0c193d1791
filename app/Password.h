#pragma once
// Login passwords are stored as salted, slow hashes, never as text:
// "pbkdf2-sha256$ITERATIONS$SALT$HASH" (salt and hash in Base64). Both sides
// are trimmed first, as the login compares them; the empty password of a new
// user is hashed like any other.
#include <QString>

namespace zq {

QString hashPassword(const QString& password);
// True when the password matches the stored value. A stored value that is not
// a hash of this form (a database filled by hand) compares as trimmed text.
bool verifyPassword(const QString& password, const QString& stored);

} // namespace zq

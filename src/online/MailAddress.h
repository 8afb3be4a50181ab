#pragma once

#include <QString>

// The check a reply address passes before the feedback mail is sent. The text is taken as typed (no trimming):
// a name, "@", and a domain of at least four characters (five counted with the "@") whose first dot leaves at least two characters after it;
// both sides only Latin letters, digits, '-', '.' and '_'.
bool isPlausibleMailAddress(const QString &text);

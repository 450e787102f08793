#include "network/session.h"

Session *Session::instance()
{
    static Session *self = new Session();
    return self;
}

#pragma once
// Whether a login is stored, for the commands that need one.

class Core;

bool coreLoginStored(Core *core);

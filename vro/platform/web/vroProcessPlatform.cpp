#include "vroProcessPlatform.h"

// A page's standard streams are the browser's console, always there, and it
// has no working folder of its own to find: its data is packed into it.
void vroProcessPlatform::Settle()
{
}

#include "appserver/methods.h"

namespace velun::appserver {

void registerAllMethods(Dispatcher& dispatcher)
{
    registerLoginMethods(dispatcher);
}

} // namespace velun::appserver

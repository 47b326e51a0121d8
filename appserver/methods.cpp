#include "appserver/methods.h"

namespace velun::appserver {

void registerAllMethods(Dispatcher& dispatcher)
{
    registerLoginMethods(dispatcher);
    registerCatalogueMethods(dispatcher);
    registerBasketMethods(dispatcher);
}

} // namespace velun::appserver

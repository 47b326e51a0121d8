// velun-b2b: the ordering client.
#include "app/tform1.h"
#include "app/velunapplication.h"
#include "app/velunstyle.h"
#include "platform/identity.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // The identifier the server knows this machine by (the demo script registers it).
    if (argc > 1 && std::strcmp(argv[1], "--machine-id") == 0) {
        QCoreApplication core(argc, argv);
        std::puts(velun::MachineId().toUtf8().constData());
        return 0;
    }
    velun::VelunApplication app(argc, argv);
    velun::ApplyVelunStyle(app);
    velun::TForm1 form;
    form.FormCreate(); // logs in; every failed login has ended the process here
    form.showMaximized();
    return velun::VelunApplication::exec();
}

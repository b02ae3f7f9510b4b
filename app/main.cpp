#include <QApplication>

#include "AppSetup.h"
#include "Form1.h"

int main(int argc, char* argv[]) {
    qob::prepareApplication();
    QApplication app(argc, argv);
    qob::setUpApplication();
    qob::Form1 form({QApplication::applicationDirPath(), QOB_SITE_URL});
    form.Form_Load();
    form.show();
    return QApplication::exec();
}

#include <QtTest>

int runWalkTests(int argc, char** argv);
int runContentTests(int argc, char** argv);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int status = runWalkTests(argc, argv);
    status |= runContentTests(argc, argv);
    return status;
}

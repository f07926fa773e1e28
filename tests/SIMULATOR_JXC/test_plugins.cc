// The plug-in loader and the worker thread: the test plug-in found among other files,
// loaded and computing on the worker after the module's equations; no plug-in reported;
// the thread joined before the window closes.
#include <gtest/gtest.h>

#include "gen_modules.h"  // before Qt, whose emit macro would hide TestModule::emit

#include <QApplication>
#include <QDir>
#include <QFile>
#include <string>

#include "fenetrepricipale.h"
#include "plugins.h"
#include "test_scope.h"

static QApplication* plugin_application() {
  static int argc = 1;
  static char name[] = "test_plugins";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(ressource);
    new QApplication(argc, argv);
  }
  return qApp;
}

namespace {

// A scratch folder with a "plugins" folder, made the current directory for the test.
class PluginFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_application();
    QDir(QString::fromStdString(dir.path)).mkdir("plugins");
    QDir::setCurrent(QString::fromStdString(dir.path));
  }
  void TearDown() override { QDir::setCurrent(previous); }
  void add(const QString& from, const QString& name) {
    ASSERT_TRUE(QFile::copy(from, QString::fromStdString(dir.path) + "/plugins/" + name));
  }
  void addText(const std::string& name) { write_text(dir.path + "/plugins/" + name, "not a library\n"); }

  QString previous = QDir::currentPath();
  ScratchDir dir{"plugins"};
};

// O := A; the context holds A present.
Module* module_and_context(Context& context) {
  TestModule t("W");
  Signal* a = t.input("A");
  t.eq(t.output("O"), a);
  Module* m = t.date();
  context.assign(static_cast<size_t>(m->getBddWood()->Nb_bdd_vars()), 2);
  context[static_cast<size_t>(a->getBddStatusId(m, m->getBddWood()))] = 1;
  context[static_cast<size_t>(a->getBddValueId(m, m->getBddWood()))] = 0;
  return m;
}

}  // namespace

TEST_F(PluginFolder, FoundLoadedAndComputingOnTheWorker) {
  addText("notes.txt");
  add(ZARIM_TEST_PLUGIN, "libtest_plugin.so");
  CalculValue worker;
  worker.pautom = module_and_context(worker.context);
  Signal* o = worker.pautom->getOutputSignal("O");
  worker.start();
  ASSERT_TRUE(worker.wait(30000));
  EXPECT_TRUE(worker.computed) << worker.report;
  EXPECT_EQ(worker.value, 1000);  // 1000 + 0, off the application's thread
  ASSERT_NE(worker.pluginManager->plugin, nullptr);
  EXPECT_EQ(worker.pluginManager->plugin->name(), "test plugin");
  EXPECT_EQ(worker.context[static_cast<size_t>(o->getBddStatusId(worker.pautom, worker.pautom->getBddWood()))], 1);
}

TEST_F(PluginFolder, MissingPluginReported) {
  addText("notes.txt");
  CalculValue worker;
  testing::internal::CaptureStderr();
  worker.start();
  ASSERT_TRUE(worker.wait(30000));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(worker.computed);
  EXPECT_EQ(worker.report, "no plugin");
  EXPECT_NE(err.find("no plugin\n"), std::string::npos);
  EXPECT_EQ(worker.pluginManager->plugin, nullptr);
}

TEST_F(PluginFolder, ThreadJoinedBeforeTheWindowCloses) {
  add(ZARIM_TEST_PLUGIN, "libtest_plugin.so");
  FenPrincipale window;
  CalculValue worker;
  window.thread_calcul = &worker;
  window.show();
  worker.start();
  window.close();
  EXPECT_TRUE(worker.isFinished());
  EXPECT_EQ(worker.value, 1000);
}

TEST(MyThread, FileUploadedKeepsTheName) {
  MyThread t;
  testing::internal::CaptureStdout();
  t.FileUploaded("m.jxc");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "fname :m.jxc\n");
  EXPECT_EQ(t.fname, "m.jxc");
}

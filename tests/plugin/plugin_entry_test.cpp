#include "plugin/plugin_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standin/standin_host.h"

namespace vellumark {
namespace {

TEST(PluginEntry, InitRegistersTheCommandThenTheExporter)
{
    standin::host host;
    EXPECT_EQ(AC3DPluginInit(nullptr), 0);

    EXPECT_EQ(host.registration_order,
              (std::vector<std::string>{"ac_add_command_full", "ac_register_file_exporter"}));
    ASSERT_EQ(host.commands.size(), 1u);
    const standin::command_registration& command = host.commands[0];
    EXPECT_EQ(command.name, "vellumark_save");
    EXPECT_NE(command.handler, nullptr);
    EXPECT_EQ(command.argument_count, 3);
    EXPECT_EQ(command.argument_types, "dsd");
    EXPECT_EQ(command.usage,
              "<silent mode true\\false> <file name without extension> <pointer to object to export>");
    EXPECT_EQ(std::count(command.usage.begin(), command.usage.end(), '\\'), 1) << "one single backslash";
    EXPECT_EQ(command.help, "Exports the specified object to Poser format.");

    ASSERT_EQ(host.exporters.size(), 1u);
    const standin::exporter_registration& exporter = host.exporters[0];
    EXPECT_EQ(exporter.identifier, "POSERPZ3");
    EXPECT_EQ(exporter.extension, ".pz3");
    EXPECT_EQ(exporter.label, "Poser");
    EXPECT_NE(exporter.callback, nullptr);
    EXPECT_EQ(exporter.description, "plugin, version 1.0, Quillfeather");

    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(host.displays.empty());
}

TEST(PluginEntry, ExitDoesNothingAndAboutNamesVellumark)
{
    standin::host host;
    EXPECT_EQ(AC3DPluginExit(), 0);
    EXPECT_TRUE(host.registration_order.empty());

    const char* about = AC3DPluginAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(std::string(about).rfind("Vellumark", 0), 0u) << about;
    EXPECT_EQ(AC3DPluginAbout(), about);
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(host.displays.empty());
}

}  // namespace
}  // namespace vellumark

// The classic file dialog filters turned into Qt's form.

#include <gtest/gtest.h>

#include "ui/Prompts.h"

namespace {

TEST(PromptsTest, ClassicFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("PSF Files (*.PSF) |*.PSF||").toStdString(), "PSF Files (*.PSF)");
    EXPECT_EQ(QtFileFilter("BFS Files (*.bfs) |*.bfs||").toStdString(), "BFS Files (*.bfs)");
    EXPECT_EQ(QtFileFilter("Blanking|*.bfs;*.BFS|All Files (*.*)|*.*||").toStdString(),
              "Blanking (*.bfs *.BFS);;All Files (*.*)");
    EXPECT_EQ(QtFileFilter("").toStdString(), "");
}

}  // namespace

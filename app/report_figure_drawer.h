// Connects the calculation report's figure boxes to the structure figure's
// drawing units, which live in app/ (the report library cannot depend on
// them). Call InstallReportFigureDrawer once at start-up.
#pragma once

void InstallReportFigureDrawer();

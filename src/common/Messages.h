#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orva {

// Identifiers of the program's user-visible texts: messages, dialog titles, labels and
// buttons, list entries, menu and command texts, move labels, legends. Every text is
// UTF-8 and exactly as the user sees it, with its %1..%9 markers and its printf-style
// fields ("%d", "%.2f", "%%"...) still in place.
//
// Values:
// - A text of the string table carries its number (100, 10000 to 10085). Cut scripts
//   and other data refer to texts by these numbers: see messageFromNumber().
// - Every other text has a value from 1000 to 3999, in blocks of a hundred per area
//   (the block is given with each group below). These values are internal and are
//   never written to a file; they cannot collide with the string-table numbers.
// - Menu and command texts carry their command id in a comment. A command id is not
//   a value here: one command can have several texts (its menu entry with and without
//   an open project, its description).
// - A text used in several places has one identifier, except where the string table
//   holds it under two numbers (MaterialNameUsedAlready and TableNameUsedAlready).
// - Pure layouts made only of printf fields and punctuation ("%s %d", "%d %d"...) and
//   file formats are not texts of this catalogue: they stay with the code that writes
//   them.
enum class Msg : int {
  // Framework: standard validation messages, buttons, file-dialog filters; block 1000.
  SaveChangesTo = 1000,
  PleaseEnterANumber = 1001,
  PleaseEnterANumberBetween = 1002,
  PleaseEnterAPositiveInteger = 1003,
  PleaseEnterAnIntegerBetween = 1004,
  PleaseEnterNoMoreThanCharacters = 1005,
  Ok = 1006,
  Cancel = 1007,
  Done = 1008,
  Default = 1009,  // button; also the name of the first table
  Browse = 1010,
  BrowseEllipsis = 1011,  // airfoil file buttons
  Test = 1012,
  FilterProjectFiles = 1013,
  FilterAllFiles = 1014,
  FilterCoordinateFiles = 1015,
  FilterExecutableFiles = 1016,
  FilterSoundFiles = 1017,
  FilterTextFiles = 1018,
  FilterCutFiles = 1019,    // saving a cut script
  FilterCutScripts = 1020,  // opening a cut script

  // Start-up, application, directories and sound; block 1100.
  ApplicationTitle = 1100,
  DocumentStringsProfile = 1101,  // document type, profile view
  DocumentStringsWing = 1102,     // document type, wing view
  DirectoriesAndSoundTitle = 1103,
  InstallationDirectory = 1104,
  FinishedCuttingSound = 1105,
  ProfileDirectory = 1106,
  ProjectDirectory = 1107,
  OleInitFailed = 100,
  CantPlay = 10006,

  // Profiles (airfoil coordinate files); block 1200.
  InvalidDatFile = 1200,
  UnableToOpenFileForReading = 1201,
  RootProfileSelection = 1202,
  TipProfileSelection = 1203,
  NoName = 1204,  // name of the built-in profile

  // Project and panel parameters; block 1300.
  InvalidProjectFormat = 1300,
  PanelParametersTitle = 1301,
  FoamThicknessMm = 1302,
  PanelSpanMm = 1303,
  SweepBackMm = 1304,
  WingPanel = 1305,
  DifferentRootTip = 1306,
  Skin = 1307,
  DihedralInDegree = 1308,
  DihedralDeg = 1309,
  AirfoilFile = 1310,
  CordMm = 1311,
  RootLeadingEdgeMarginMm = 1312,
  TipLeadingEdgeMarginMm = 1313,
  RootTrailingEdgeMarginMm = 1314,
  TipTrailingEdgeMarginMm = 1315,
  WashoutDeg = 1316,
  BasicHeightMm = 1317,
  CamberPercent = 1318,
  ThicknessPercent = 1319,
  SkinMm = 1320,
  XLeadingEdgeConfigurationTitle = 1321,
  AlphaAngleDegree = 1322,  // also the foam cut
  BetaAngleDegree = 1323,
  LengthLMm = 1324,
  UpperHeightH1Mm = 1325,
  LowerHeightH2Mm = 1326,
  CommentsTitle = 1327,
  Global = 1328,  // group of the panel-wide values in Panel Parameters

  // Panel operations and elliptical wing design; block 1400.
  PanelSplitTitle = 1400,
  PositionOfSplitPercent = 1401,
  EllipsoidalWingDesignTitle = 1402,
  HalfSpanMm = 1403,
  RootCordMm = 1404,
  TipCordMm = 1405,
  SymetryPercent = 1406,
  LengthAvCordMm = 1407,
  HalfWingSurfaceDm2 = 1408,
  NumberOfPanels = 1409,
  LengthMm = 1410,  // also block shaping and test cut
  EllipseSweepBackMm = 1411,
  HalfWing = 1412,
  DisplayLeftHalfEllipse = 1413,
  DisplayRightHalfEllipse = 1414,
  DisplayLeftPanels = 1415,
  DisplayRightPanels = 1416,
  CentralSweepBackMm = 1417,
  JoinedCentralPanels = 1418,

  // Panel cut: move labels and the Panel Cutting dialog; block 1500.
  MoveToBlockStart = 1500,
  LowerSurfaceCutPoint = 1501,
  UpperSurfaceCutPoint = 1502,
  TrailingEdgeProlongationOutput = 1503,
  TrailingEdgeProlongationInput = 1504,
  ReturnToInitialPosition = 1505,
  DownVerticalCut = 1506,
  MoveToLeadingEdgeMargin = 1507,
  LeadingEdgeCut = 1508,
  BlockShapingAtLeadingEdge = 1509,
  UpVerticalCut = 1510,
  CutComplexShapePoint = 1511,
  ClearanceLowerThanFoam = 1512,
  RightWing = 1513,
  LeftWing = 1514,
  BottomFirst = 1515,
  TopFirst = 1516,
  WireKerfCompensation = 1517,
  Profile = 1518,
  RefLowerSurface = 1519,
  BockTriming = 1520,
  NoTriming = 1521,
  BeforeCutting = 1522,
  WhileCutting = 1523,
  AfterCutting = 1524,
  TrimingOnly = 1525,
  ClearanceMm = 1526,
  Cut = 1527,  // OK button, intermediate-section box, menu title
  IntermediateSection = 1528,
  PositionZMm = 1529,
  Section = 1530,
  BlockCenteredInZ = 1531,
  RootAxisOffsetMm = 1532,
  OffsetX0Mm = 1533,
  CutToFile = 1534,
  StepDetails = 1535,
  FoamType = 1536,
  CutSpeed = 1537,  // also block shaping, test cut, foam cut
  ValueMmPerS = 1538,
  HeatMode = 1539,
  Maximum = 1540,
  UserChoice = 1541,
  Measured = 1542,
  HalfSpanGreaterThanTable = 1543,
  InvalidIntermediateSectionCut = 1544,
  DifferingNumberOfPoints = 1545,
  Error = 1546,
  SpeedLimitPrefix = 1547,
  FrontView = 1548,
  BackView = 1549,
  TopView = 1550,
  InvalidFoamType = 10085,

  // Spars, slots and hinge rounds; block 1600.
  ActiveSpar = 1600,
  DistanceInPercent = 1601,
  Label = 1602,
  ProportionalWidth = 1603,
  ProportionalThickness = 1604,
  TipWidthMm = 1605,
  RootWidthMm = 1606,
  RootThicknessMm = 1607,
  TipThicknessMm = 1608,
  DistancePLeMiddleSpar = 1609,
  LowerSurfaceSpar = 1610,    // type 1 (two-line caption)
  UpperSurfaceSpar = 1611,    // type 2
  LowerSurfaceSole = 1612,    // type 3
  UpperSurfaceSole = 1613,    // type 4
  LowerRoundSpar = 1614,      // type 5
  UpperRoundSpar = 1615,      // type 6
  RudderArticulation = 1616,  // type 7
  Inactive = 1617,            // label of an unused spar record
  LongeronPrefix = 1618,      // move labels, followed by the spar label
  EntreeSaigneePrefix = 1619,
  RondSaigneePrefix = 1620,
  SortieSaigneePrefix = 1621,
  RondArticulationPrefix = 1622,

  // Auxiliary cuts: block shaping, test cut, foam cut; block 1700.
  BlockShapingTitle = 1700,
  X0OffsetMm = 1701,
  BlockCentered = 1702,
  LeftAxisOffsetMm = 1703,
  LeftWidthMm = 1704,
  RightWidthMm = 1705,
  LRTaperMm = 1706,
  YDimensionMm = 1707,
  TestCutTitle = 1708,
  StartWithTheTop = 1709,
  SpacingMm = 1710,
  NumberOfCuts = 1711,
  TaperLRMm = 1712,
  HeightMm = 1713,
  HeatPercent = 1714,  // also the Zero axis dialog
  SliceCut = 1715,
  FoamCutTitle = 1716,
  HeightOfCutMm = 1717,
  HorizontalCut = 1718,
  OffsetEnYMm = 1719,
  CutWidthMm = 1720,
  RaiseWireAtMaximumSpeed = 1721,
  RaiseWire = 1722,
  Coupe = 1723,
  Armement = 1724,

  // Move planner, cut execution and cut scripts; block 1800.
  Tempo = 1800,  // label of a pause
  TimeSeconds = 1801,
  TimeMinutesSeconds = 1802,
  CutProgress = 1803,  // status bar during a cut
  CancelCut = 1804,
  AbortCut = 1805,
  CutRunning = 1806,  // a cut or planning asked for while a cut runs
  NoMemory = 10002,
  AxisLimitOverflow = 10003,
  BlockSizeGreaterThanTable = 10007,
  RightBlockPositionGreaterThanTable = 10008,
  SpeedAboveStepMotorLimit = 10010,
  Right = 10011,  // tower names in planner messages
  Left = 10012,
  StartCutWithSpeed = 10005,
  StartCut = 10074,
  Power = 10039,
  Computed = 10040,
  Manual = 10041,
  Fixed = 10045,
  WireHeatLowerThan2Percent = 10061,
  NoInterruptsDuringCutting = 10037,
  ScriptFileLine = 10034,
  ReadError = 10035,
  InvalidPowerCoefficient = 10027,
  TableDoesNotExist = 10082,

  // Interface driver, timer calibration and manual axis control; block 1900.
  DeviceIoControlFailed = 1900,  // followed by the system's error text
  GetOverlappedResultFailed = 1901,
  TimerCalibrationTitle = 1902,
  CurrentValueUs = 1903,
  FinishedAdjustment = 1904,
  ZeroAxisTitle = 1905,
  Distance = 1906,
  LeftAxis = 1907,
  RightAxis = 1908,
  XMm = 1909,
  YMm = 1910,
  TestDurationSec = 1911,
  XTimeBetweenStepsMs = 1912,
  YTimeBetweenStepsMs = 1913,
  XMaximumSpeedMmPerS = 1914,
  YMaximumSpeedMmPerS = 1915,
  SynchronizedAxes = 1916,
  SingleStepMoves = 1917,
  Move = 1918,
  SetZero = 1919,
  SingleStepLabel = 1920,  // label of a single-step move (one blank)
  CuttingNotPossibleUnderNt = 10083,
  ErrorInLoadingDriver = 10031,
  DriverVersionTooOld = 10052,
  SetTimerOn = 10033,
  MotorSpeedLowerThanTimer = 10000,  // also the Table Configuration dialog

  // Cutting table configuration; block 2000.
  CncTableConfigurationTitle = 2000,
  CurrentTableColon = 2001,  // also Foam management
  XAxisConfiguration = 2002,
  YAxisConfiguration = 2003,
  StepsPerRevolution = 2004,
  ScrewThreadMm = 2005,
  XStepLostInverseDirection = 2006,   // X axis
  YStepsLostInverseDirection = 2007,  // Y axis
  BacklashCompSpeed = 2008,
  MinimumTimeBetweenStepsMs = 2009,
  MaximumSpeedInXMmPerS = 2010,
  MaximumSpeedInYMmPerS = 2011,
  Dimensions = 2012,
  DistanceBetWireSupportMm = 2013,
  XAxisTravelMm = 2014,
  YAxisTravelMm = 2015,
  Miscellaneous = 2016,
  ZeroPositionInX = 2017,
  ZeroPositionInY = 2018,
  ReverseTableLayout = 2019,
  DriverAndHardwareInterface = 2020,
  ParallelPort = 2021,
  Lpt1 = 2022,
  Lpt2 = 2023,
  Lpt3 = 2024,
  Lpt4 = 2025,
  TimerValueUs = 2026,
  TimeForWireHeatingS = 2027,
  HardwareInterfaceWithHeatAcquisition = 2028,

  // Foam database and Foam management; block 2100.
  FoamManagementTitle = 2100,
  FoamTypes = 2101,
  CreateNewMaterial = 2102,
  RenameThisMaterial = 2103,
  DeleteThisMaterial = 2104,
  HeatAcquisition = 2105,
  ComputerControlledHeat = 2106,
  Caracteristics = 2107,
  MaximumSpeed = 2108,
  MinimumSpeed = 2109,
  Heat0To100 = 2110,
  KerfForSpeedSMm = 2111,
  KerfForHalfSpeedMm = 2112,
  SpeedMinMmPerS = 2113,
  HeatMin0To100 = 2114,
  ApplyChanges = 2115,
  CancelChanges = 2116,
  ApplyAndExit = 2117,
  EnterNewMaterialName = 2118,
  PolyExtrude = 2119,  // built-in foams
  PolyExpanse = 2120,
  Depron = 2121,
  PowerSampling = 10038,
  SpeedMmPerS = 10043,
  MaxSpeedMmPerS = 10044,
  MaterialNameUsedAlready = 10049,
  MaterialNameMandatory = 10051,  // also the table name dialog
  SpeedLimitDueToWireHeat = 10062,

  // Table management; block 2200.
  CurrentTableTitle = 2200,
  TablesName = 2201,
  Duplicate = 2202,
  EditTableName = 2203,
  DeleteTable = 2204,
  ValidateSelection = 2205,
  TableNameTitle = 2206,
  TableNameUsedAlready = 10069,

  // Views: profile view and wing view legends; block 2300.
  UnitMm = 2300,
  SectionLegendWing = 2301,
  SectionLegendOutline = 2302,
  LgMm = 2303,
  SurfDm2 = 2304,
  ParenthesisedMm = 2305,
  DdDegPerMm = 2306,
  MmBlank = 2307,
  SurfEquals = 2308,
  Dm2 = 2309,
  Root = 10029,  // also a group and a Section choice in dialogs
  Tip = 10030,
  Panel = 10058,  // also the panel menu entries
  AvC = 10070,
  DistRootAvC = 10071,
  WingSummaryLead = 10072,  // the only empty text
  CrMm = 10077,
  CtMm = 10078,
  Le = 10079,
  Te = 10080,

  // Frames, tool bars and zoom lists; block 2400.
  ProfilToolBarTitle = 2400,
  AileToolBarTitle = 2401,
  Zoom0p5Percent = 2402,
  Zoom1Percent = 2403,
  Zoom2p5Percent = 2404,
  Zoom5Percent = 2405,
  Zoom7p5Percent = 2406,
  Zoom10Percent = 2407,
  Zoom12Percent = 2408,
  Zoom15Percent = 2409,
  Zoom25Percent = 2410,
  Zoom50Percent = 2411,
  Zoom75Percent = 2412,
  Zoom100Percent = 2413,
  Zoom120Percent = 2414,
  Zoom150Percent = 2415,
  Zoom200Percent = 2416,
  Zoom500Percent = 2417,
  Zoom1000Percent = 2418,
  Zoom2000Percent = 2419,
  ProfileWindowSuffix = 10059,
  WingWindowSuffix = 10060,

  // The desktop program: status bar, tool tips, about box, help, printing; block 2500.
  Ready = 2500,
  HelpOnButtonsAndMenus = 2501,  // 57669
  ProfileZoomTip = 2502,         // 32793
  WingZoomTip = 2503,            // 32891
  AboutTitle = 2504,
  AboutVersion = 2505,
  HelpWindowTitle = 2506,
  PrintFailed = 2507,
  NewProjectTip = 2508,   // 57600
  OpenProjectTip = 2509,  // 57601
  SaveProjectTip = 2510,  // 57603
  AboutTip = 2511,        // 57664
  NewPanelTip = 2512,     // 32869
  DeletePanelTip = 2513,  // 32870
  MainToolBarTitle = 2514,
  ExitSaveFailed = 2515,

  // Cutting a panel in the desktop program: the dialog, the progress panel; block 2600.
  PanelCuttingTitle = 2600,
  CutProgressTitle = 2601,
  CutProgressMoves = 2602,     // %1 moves output of %2
  CutProgressElapsed = 2603,
  CutProgressRemaining = 2604,
  CutProgressMove = 2605,
  CutProgressHeat = 2606,
  CutProgressLeftTower = 2607,
  CutProgressRightTower = 2608,
  CutProgressRetreating = 2609,
  CutProgressSpeedup = 2610,
  SpeedupAtOnce = 2611,
  CutProgressNoValue = 2612,
  CutProgressHeatValue = 2613,  // %1 %
  CutProgressEnded = 2614,

  // Menus: titles and entries (command ids in the comments); block 3000.
  MenuView = 3000,
  MenuProject = 3001,
  MenuPanelManagement = 3002,
  MenuOrva = 3003,  // machine commands
  MenuHelp = 3004,
  MenuNew = 3005,                        // 57600
  MenuOpen = 3006,                       // 57601
  MenuSave = 3007,                       // 57603
  MenuSaveAs = 3008,                     // 57604
  MenuExport = 3009,                     // 32813
  MenuScriptExecution = 3010,            // 32837
  MenuPrint = 3011,                      // 57607
  MenuPrintingPreview = 3012,            // 57609
  MenuPrintingConfiguration = 3013,      // 57606
  MenuRecentFile = 3014,                 // 57616
  MenuQuit = 3015,                       // 57665
  MenuProfiles = 3016,                   // 1005
  MenuWing = 3017,                       // 1006
  MenuToolBar = 3018,                    // 59392
  MenuProfilBar = 3019,                  // 32858, no project open
  MenuProfileBar = 3020,                 // 32858, project open
  MenuWingBar = 3021,                    // 32877, no project open
  MenuPanelBar = 3022,                   // 32877, project open
  MenuStatusBar = 3023,                  // 59393
  MenuCascade = 3024,                    // 57650
  MenuTile = 3025,                       // 57651
  MenuArrangeIcons = 3026,               // 57649
  MenuTableManagement = 3027,            // 32901, no project open
  MenuTablesManagement = 3028,           // 32901, project open
  MenuTableConfiguration = 3029,         // 32779
  MenuFoamManagement = 3030,             // 32805
  MenuTimerTuningEllipsis = 3031,        // 32796, no project open
  MenuTimerTuning = 3032,                // 32796, project open
  MenuZeroAxis = 3033,                   // 32803
  MenuFiles = 3034,                      // 32812
  MenuNewAtEnd = 3035,                   // 32869
  MenuNewBeforeCurrent = 3036,           // 32892
  MenuNewAfterCurrent = 3037,            // 32893
  MenuDeleteCurrent = 3038,              // 32870
  MenuSplitCurrent = 3039,               // 32910
  MenuEllipticalWing = 3040,             // 32909
  MenuCurrentPanelConfiguration = 3041,  // 32782
  MenuRootProfile = 3042,                // 32781
  MenuTipProfile = 3043,                 // 32780
  MenuSpars = 3044,                      // 32836; also the view pop-up menus
  MenuXLeadingEdge = 3045,               // 32835
  MenuComments = 3046,                   // 32814; also the view pop-up menus
  MenuPanelCut = 3047,                   // 32807
  MenuFoamCut = 3048,                    // 32811
  MenuBlockShaping = 3049,               // 32798
  MenuTestCut = 3050,                    // 32799
  MenuOnlineHelp = 3051,                 // 57667
  MenuAbout = 3052,                      // 57664
  MenuDelete = 3053,                     // 32887, wing view pop-up
  MenuInsertNewBeforeCurrent = 3054,     // 32888, wing view pop-up
  MenuInsertNewAfterCurrent = 3055,      // 32889, wing view pop-up
  MenuPanelConfiguration = 3056,         // view pop-ups (32890, 32906)
  MenuPanelCutPopup = 3057,              // view pop-ups (32899, 32900)
  MenuFile = 3058,
  MenuWindow = 3059,

  // Command texts: options, edge treatments, alignments, buttons, descriptions; block 3200.
  HorizontalTeProlongation = 3200,         // 32834
  TeProlongationMeanCord = 3201,           // 32883
  SymmetricTeProlongation = 3202,          // 32828
  TeProlongationUpperSurface = 3203,       // 32829
  NoCutAtLe = 3204,                        // 32831
  HorizontalCutAtLe = 3205,                // 32833
  XCutAtLe = 3206,                         // 32791
  XLeadingEdgeProlongation = 3207,         // 32835
  ComputeWithSplines = 3208,               // 32810
  SuperposedProfiles = 3209,               // 32843
  DisplayLegends = 3210,                   // 32904
  DisplayProfilesWithoutSweepBack = 3211,  // 32905
  DisplayLeOnTop = 3212,                   // 32897
  DisplayFullWing = 3213,                  // 32898
  DisplayCutCoordinates = 3214,            // 32804
  DisplayProfileCoordinates = 3215,        // 32806
  PanelAlignmentUpperSide = 3216,          // 32871
  PanelAlignmentLowerSide = 3217,          // 32873
  PanelAlignmentMiddle = 3218,             // 32874
  PanelAndMarginsAlignment = 3219,         // 32880
  StartFerolo = 3220,                      // 32840
  DisplayProfileView = 3221,               // 32896
  DisplayWingView = 3222,                  // 32895
  ExportDocumentToText = 3223,             // 32813
  StartOfWingCut = 3224,                   // 32807
  StartOfBlockShaping = 3225,              // 32798
  TestCutForWireKerfCalibration = 3226,    // 32799
  VerticalCut = 3227,                      // 32811
  CuttingFromCutFile = 3228,               // 32837
  ManualWireMoveToZero = 3229,             // 32803
  SparConfiguration = 3230,                // 32836
  PrintProject = 3231,                     // 57607

  // The program's own messages for cases the original let pass silently; block 3900.
  UnsafeTableName = 3900,
  MaterialNameTooLong = 3901,
  MaterialNameInvalidCharacters = 3902,
  FileNotSaved = 3903,
  InvalidTimerPeriod = 3904,
  TimerPeriodTooShortForPause = 3905,
  InvalidScrewThread = 3906,
  InvalidStepsPerRevolution = 3907,
  InvalidMinimumStepTime = 3908,
  InvalidBacklashSpeed = 3909,
  InvalidBlockWidth = 3910,
  InvalidMoveValue = 3911,
  MoveTooLong = 3912,
  PleaseEnterAnInteger = 3913,
  InvalidTestCutSpacing = 3914,
  NoTestCut = 3915,
  TooManyTestCuts = 3916,
  InvalidTestCutWidths = 3917,
  InvalidCutSpeed = 3918,
  CutScriptTooLong = 3919,
  FilterGcodeFiles = 3920,
  GcodeCannotWrite = 3921,
  GcodeBadAxisLetters = 3922,
  GcodeBadSpindleMax = 3923,
  GcodeBadMove = 3924,
  SettingsFileNotFound = 3925,
  DataDirectoryNotFound = 3926,
  KnownTables = 3927,
  KnownFoams = 3928,
  AmbiguousFoam = 3929,
  MustBeGreaterThanZero = 3930,
  SectionOutsideBlock = 3931,
  PlacementOffsetX0 = 3932,
  PlacementRootAxisOffset = 3933,
  DatPercentCoordinates = 3934,
  DatTooFewPoints = 3935,
  DatCountHeader = 3936,
  GcodeStartPosition = 3937,
  FileNotDeleted = 3938,       // %1 the file, %2 the system's error text
  FileNotRenamed = 3939,       // %1 from, %2 to, %3 the system's error text
  DirectoryNotCreated = 3940,  // %1 the directory, %2 the system's error text
  MoveNotSent = 3941,          // the driver failed while sending a move

  // Page setup without a system printer.
  PageSetupTitle = 2800,
  PaperSize = 2801,
  Orientation = 2802,
  Portrait = 2803,
  Landscape = 2804,
  MarginsMm = 2805,
  MarginLeft = 2806,
  MarginTop = 2807,
  MarginRight = 2808,
  MarginBottom = 2809,
  MarginsDoNotFit = 2810,

  // Warnings about a planned cut (2900-2999)
  CutWarningAtMove = 2900,      // %1 move number (from 1), %2 its label, %3 the warning
  CutWarningAtMoves = 2901,     // %1 first, %2 last move number, %3 first label, %4 the warning
  WarnTowerBackwards = 2902,    // %1 tower word, %2 scale of its path on its face's
  WarnTowerMagnified = 2903,    // %1 tower word, %2 ratio of its path to its face's
  WarnPauseInBlock = 2904,      // %1 seconds
  WarnSlowInBlock = 2905,       // %1 speed of the faster face point, %2 the cut speed
  WarnKerfExtrapolated = 2906,  // %1 face (Root/Tip), %2 its speed, %3 the law's lowest speed
  WarnUnequalFaces = 2907,      // %1 root path, %2 tip path (mm)
  WarningsHeading = 2908,
  // A table's controller link (2980-2989).
  CtlBackendUnknown = 2980,  // %1 the value read
  CtlPortMissing = 2981,
  CtlBaudInvalid = 2982,     // %1 the value
  CtlHeatInvalid = 2983,     // %1 the value
  CtlStatusInvalid = 2984,   // %1 the value

  // The cut simulation window; block 2950.
  MenuCutSimulation = 2950,  // the View menu's "Cut" window
  CutWindowSuffix = 2951,
  CutSimulationTip = 2952,
  SimRootFacePath = 2953,
  SimTipFacePath = 2954,
  SimLeftTowerPath = 2955,
  SimRightTowerPath = 2956,
  SimNotPlanned = 2957,     // %1 why
  SimNoPanel = 2958,
  SimTimeReadout = 2959,    // %1 elapsed, %2 remaining, %3 total (s)
  SimSpeedsReadout = 2960,  // %1 root, %2 tip, %3 left tower, %4 right tower (mm/s)
  SimPlay = 2961,
  SimPause = 2962,
  SimPreviousMove = 2963,
  SimNextMove = 2964,
  SimThreeD = 2965,
  SimWarningsTitle = 2966,
  SimFrontTitle = 2967,
  SimObliqueTitle = 2968,
  SimMoveReadout = 2969,    // %1 move number, %2 move count, %3 label
  SimFollowingCut = 2970,
  SimNotPlannedShort = 2971,
  // G-code controllers (GRBL family): connection, streaming, failures
  GrblAxisLetters = 3100,       // %1 the letters given
  GrblRxBufferSize = 3101,      // %1 the size given
  GrblPortNotOpened = 3102,     // %1 port, %2 the system's error text
  GrblNoBanner = 3103,          // %1 port, %2 seconds
  GrblLineRefused = 3104,       // %1 line number, %2 line, %3 code, %4 code's text
  GrblAlarm = 3105,             // %1 code, %2 code's text
  GrblPortLost = 3106,          // %1 port, %2 the system's error text
  GrblNoAnswer = 3107,          // %1 port, %2 seconds
  GrblLineTooLong = 3108,       // %1 line number, %2 buffer size
  GrblNotConnected = 3109,
  GrblBusy = 3110,
  GrblCommandRefused = 3111,    // %1 line, %2 code, %3 code's text
  GrblCancelled = 3112,
  GrblFinished = 3113,
  GrblPosition = 3114,          // %1..%4 XG, YG, XD, YD
  GrblPositionUnknown = 3115,
  GrblAxesMissing = 3116,       // %1 the controller's axes, %2 the letters asked for
  GrblUnknownCode = 3117,
  GrblNotIdle = 3118,           // %1 the controller's state
  GrblAlarmState = 3119,
  GrblResetItself = 3120,
  GrblPlannerFill = 3121,
  GrblLineUnanswered = 3122,   // %1 line number, %2 line, %3 seconds      // %1 fewest free blocks, %2 most free, %3 planner size, %4 reports
  GrblErrorBase = 3140,         // + N: the text of error N (1..38)
  GrblAlarmBase = 3180,         // + N: the text of alarm N (1..9)

  // The controller session and the cut on a controller table.
  SessionNoSerialPorts = 3400,
  SessionNoPort = 3401,

  // The machine panel and the manual dialogs on a controller table.
  MachinePanelTitle = 3450,
  MachinePort = 3451,
  MachineBaud = 3452,
  MachineConnect = 3453,
  MachineDisconnect = 3454,
  MachineFirmware = 3455,
  MachineState = 3456,
  MachineNotConnected = 3457,
  MachineLeft = 3458,
  MachineRight = 3459,
  MachineBoth = 3460,
  MachineJog = 3461,
  MachineStep = 3462,
  MachineZeroHere = 3463,
  MachineUnlock = 3464,
  MachineHeatTest = 3465,
  MachineHold = 3466,
  MachineResume = 3467,
  MachineEmergencyStop = 3468,
  MachineExchange = 3469,
  MachineShowPolls = 3470,
  MachineConnectFailed = 3471,  // %1 port, %2 why
  MachineCommandFailed = 3472,  // %1 why
  MachineNothingToCalibrate = 3473,
  MachineHeatByHand = 3474,
  MachinePosition = 3475,
  MachineCutStreaming = 3476,
  MachineNotGrblTable = 3477,
  // The controller fields of the table configuration (3550-3599)
  TableControllerGroup = 3550,
  CtlBackendCaption = 3551,
  CtlBackendInterface = 3552,
  CtlBackendGrbl = 3553,
  CtlPortCaption = 3554,
  CtlBaudCaption = 3555,
  CtlAxesCaption = 3556,
  CtlHeatSCaption = 3557,
  CtlRxBufferCaption = 3558,
  CtlStatusMsCaption = 3559,

  // The cut window's marks and warning list (3600-3649)
  SimWarningMark = 3600,
  SimWire = 3601,
  SimWarningsHint = 3602,
};

// The text of `id`; an empty view for a value that names no text. One text is empty
// by design (WingSummaryLead).
std::string_view messageText(Msg id);

// Replaces the markers %1..%9 of `pattern` by the matching inserts, in one pass: text
// brought in by an insert is never scanned again. A marker without an insert stays as
// it stands, "%%" and every other %-sequence are copied unchanged ("%10" is insert 1
// followed by "0").
std::string fillInserts(std::string_view pattern, std::initializer_list<std::string_view> inserts);

// messageText(id) with its inserts filled.
std::string formatMessage(Msg id, std::initializer_list<std::string_view> inserts = {});

// The identifier of string-table number `number`, or nothing when the string table has
// no such number (values of texts without a number are not string-table numbers).
std::optional<Msg> messageFromNumber(int number);

// Every identifier of the catalogue, in ascending order of value.
std::span<const Msg> allMessageIds();

}  // namespace orva

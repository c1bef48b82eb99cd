-- Run by ardour7-lua: one session, one MIDI track of the instrument with the
-- test phrase before it, exported from sample 0 to a float WAV.
-- Arguments: TYPE (LV2, LXVST, VST3) NAME-or-URI SESSION-DIR EXPORT-DIR FRAMES PRESET-UUID
-- Every failure prints "RENDER-FAILED <what>" and exits non-zero; success
-- prints "RENDER-EXPORTED" after the export, then "RENDER-PREROLL samples=N":
-- how many samples the instrument rendered before the transport rolled.

local kind, name, session_dir, export_dir, frames, preset = arg[1], arg[2], arg[3], arg[4], tonumber (arg[5]), arg[6]
local rate = 48000

-- Flushed at once: when Ardour crashes, the log shows how far it got.
local function say (text)
	print (text)
	io.stdout:flush ()
end

local function fail (what, code)
	say ("RENDER-FAILED " .. what)
	os.exit (code or 1)
end

if not (kind and name and session_dir and export_dir and frames and preset) then
	fail ("usage: render-session.lua TYPE NAME SESSION-DIR EXPORT-DIR FRAMES PRESET-UUID", 2)
end

local types = { LV2 = ARDOUR.PluginType.LV2, LXVST = ARDOUR.PluginType.LXVST, VST3 = ARDOUR.PluginType.VST3 }
if not types[kind] then fail ("unknown plug-in type " .. kind, 2) end

-- The dummy backend is hidden from release builds' lists unless asked for.
ARDOUR.config ():set_hide_dummy_backend (false)
local backend = AudioEngine:set_backend ("None (Dummy)", "tarnwell-render", "")
if backend:isnil () then fail ("no dummy backend") end
backend:set_device_name ("Silence")
backend:set_sample_rate (rate)
backend:set_buffer_size (1024)
-- Real-time cycles at half speed leave the export more time to take the
-- engine over before the next one (see the pre-roll below).
backend:set_driver ("Half Speed")
if AudioEngine:start (false) ~= 0 then fail ("the engine did not start") end
say (string.format ("RENDER-ENGINE rate=%d block=%d", backend:sample_rate (), backend:buffer_size ()))

if not create_session (session_dir, "render", rate) then fail ("no session") end

-- An empty plug-in info makes Ardour crash, so look first.
local info = ARDOUR.LuaAPI.new_plugin_info (name, types[kind])
if info:isnil () then fail ("Ardour does not know the " .. kind .. " plug-in " .. name) end
say ("RENDER-PLUGIN " .. info.name .. " by " .. info.creator .. " (" .. info.unique_id .. ")")

-- The instrument keeps state that runs on with every sample it renders (its
-- LFOs, its control tick), and Ardour runs a session's plug-ins in real time
-- from the moment they are added. So the track is made with a pass-through
-- script as its instrument, and the phrase and the instrument go in
-- inactive; both start in the cycle after they are switched on just before
-- the export, and the phrase counts what they render before the transport
-- rolls (Ardour's export pre-roll, a fixed length, unless a real-time cycle
-- slipped in).
local placeholder = ARDOUR.LuaAPI.new_plugin_info ("MIDI Note Mapper", ARDOUR.PluginType.Lua)
if placeholder:isnil () then fail ("Ardour's MIDI Note Mapper script is missing") end

-- Strict I/O stays off: with it on, Ardour 7.3 now and then fails to
-- register the track's first output ("Port already exists") and then fails
-- every later MIDI track of the process. The instrument's two outputs make
-- the track stereo anyway.
local ok, tracks = pcall (function ()
	return Session:new_midi_track (
		ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1), ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2),
		false, placeholder, nil, nil, 1, "Tarnwell", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal,
		true, false)
end)
if not ok or tracks:size () ~= 1 then fail ("no MIDI track: " .. tostring (tracks), 3) end
local track
for t in tracks:iter () do track = t end

local instrument = ARDOUR.LuaAPI.new_plugin (Session, name, types[kind], "")
if instrument:isnil () then fail ("the plug-in could not be instantiated") end
if track:add_processor_by_index (instrument, 0, nil, false) ~= 0 then fail ("the plug-in could not be added") end
local phrase = ARDOUR.LuaAPI.new_luaproc (Session, "Tarnwell Test Phrase")
if phrase:isnil () then fail ("the phrase script was not found") end
if track:add_processor_by_index (phrase, 0, nil, false) ~= 0 then fail ("the phrase could not be added") end
local mapper = track:nth_plugin (2)
if mapper:isnil () or mapper:name () ~= "MIDI Note Mapper" then fail ("the pass-through is not where it was put") end
if track:remove_processor (mapper, nil, true) ~= 0 then fail ("the pass-through could not be removed") end

local export = Session:simple_export ()
export:set_folder (export_dir)
export:set_name ("render")
export:set_range (0, frames)
if not export:set_preset (preset) then fail ("the float WAV export preset was not found") end
if not export:check_outputs () then fail ("the master bus has nothing to export") end
-- The route is off while its two processors are switched on, so both start
-- in the same cycle. The route takes a cycle to come on; the export starts
-- right after that one, so it has a whole cycle's time to take the engine
-- over before the next real-time cycle would add to the pre-roll.
track:set_active (false, nil)
phrase:activate ()
instrument:activate ()
track:set_active (true, nil)
ARDOUR.LuaAPI.wait_for_process_callback (1, 1000)
if not export:run_export () then fail ("the export failed") end
say ("RENDER-EXPORTED")
local shared = phrase:to_insert ():plugin (0):to_luaproc ():shmem ():to_int (0):array ()
say (string.format ("RENDER-PREROLL samples=%d cycles=%d", shared[1], shared[2]))
say (string.format ("RENDER-PHRASE events=%d of %d, rolled=%d, gaps in the transport=%d", shared[4], shared[6], shared[3], shared[5]))
if shared[3] ~= 1 or shared[4] ~= shared[6] or shared[5] ~= 0 then fail ("the phrase did not play whole and in order", 4) end
-- Leave without tearing the session down: that now and then corrupts Ardour's heap.
AudioEngine:stop (false)
os.exit (0)

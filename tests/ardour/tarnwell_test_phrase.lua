ardour {
	["type"]    = "dsp",
	name        = "Tarnwell Test Phrase",
	category    = "Utility",
	license     = "MIT",
	author      = "Tarnwell",
	description = [[Plays one fixed phrase of notes at fixed session samples while the transport rolls, so every render of a session is driven by the same events at the same frames.]]
}

-- Ardour 7 cannot make a MIDI region headless, so this processor sits before
-- the instrument and writes the notes itself.

function dsp_ioconfig ()
	return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 }, }
end

function dsp_has_midi_input () return true end
function dsp_has_midi_output () return true end

-- { session sample, status, data 1, data 2 }, sorted by sample. The frames sit
-- off any block boundary on purpose and chords share a frame, so a host that
-- moves an event to the start of its block or reorders one shows up.
local phrase = {
	{      0, 0x90, 60, 100 },
	{    333, 0x90, 64,  80 },
	{  12345, 0x90, 67, 110 },
	{  30000, 0x80, 60,  64 },
	{  36001, 0x90, 72,  64 },
	{  48000, 0x80, 64,   0 },
	{  60000, 0x90, 67,   0 },  -- a note-on of velocity 0 ends the note too
	{  72000, 0x90, 55, 127 },
	{  72000, 0x90, 62,  90 },
	{  72100, 0x91, 43,  70 },  -- another channel
	{  96000, 0x80, 72,   0 },
	{ 100000, 0x81, 43,   0 },
	{ 108000, 0x80, 55,   0 },
	{ 108000, 0x80, 62,   0 },
}

-- What the session script reads back through the shared memory, so it can
-- tell whether the instrument lived through the same samples in every render.
local kStoppedSamples, kStoppedCycles, kRolled, kSent, kGaps, kPhraseLength = 0, 1, 2, 3, 4, 5
local next_sample = nil

function dsp_init (rate)
	self:shmem ():allocate (8)
	self:shmem ():clear ()
	self:shmem ():to_int (0):array ()[kPhraseLength + 1] = #phrase
end

function dsp_run (_, _, n_samples)
	local shared = self:shmem ():to_int (0):array ()
	local out = 1
	-- Whatever reaches the track from outside passes on unchanged.
	for _, ev in ipairs (midiin) do
		midiout[out] = ev
		out = out + 1
	end
	if not Session:transport_rolling () then
		if shared[kRolled + 1] == 0 then
			shared[kStoppedSamples + 1] = shared[kStoppedSamples + 1] + n_samples
			shared[kStoppedCycles + 1] = shared[kStoppedCycles + 1] + 1
		end
		return
	end
	local first = Session:transport_sample ()
	local last = first + n_samples
	shared[kRolled + 1] = 1
	if next_sample and first ~= next_sample then shared[kGaps + 1] = shared[kGaps + 1] + 1 end
	next_sample = last
	for _, e in ipairs (phrase) do
		if e[1] >= first and e[1] < last then
			-- Event times here count from 1 at the block's first sample.
			midiout[out] = { time = e[1] - first + 1, data = { e[2], e[3], e[4] } }
			out = out + 1
			shared[kSent + 1] = shared[kSent + 1] + 1
		end
	end
end
